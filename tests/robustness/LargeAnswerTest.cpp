// Answers too large to be sensible: a 50 MiB body, and bodies that never end. The request object
// caps a body at 64 MiB, so the query ends, writes its line, and the memory it used is given back:
// repeating the query does not make the process grow. The resident figures are printed for the
// record (the peak is the highest resident size during the query, over the size before it).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "tests/robustness/ProcessMemory.h"
#include "tests/robustness/ProgramFixture.h"

namespace kelvaro::robustness {
namespace {

constexpr std::size_t kMiB = 1024 * 1024;

// `json` at the end of `size` bytes of padding that no delimiter matches.
std::string Padded(const std::string& json, std::size_t size) {
  std::string body(size - json.size(), ' ');
  body += json;
  return body;
}

class LargeAnswerTest : public ProgramFixture {
 protected:
  // Runs the query `times` times against the scripted answers, checking the line and the memory
  // each time. Without the sanitizer's quarantine (which keeps freed memory resident for a while),
  // what a query leaves behind is bounded by the one body the request object keeps until the next
  // request (at most the 64 MiB cap) and some allocator slack, and stays so however often the
  // query runs; the peak stays within a fixed multiple of the cap.
  void QueryRepeatedly(const char* name, std::string_view line, int times) {
    SetNumber("13800138000");
    const std::size_t baseline = ResidentKiB();
    for (int i = 0; i < times; ++i) {
      ResetPeakResident();
      const auto start = std::chrono::steady_clock::now();
      EXPECT_EQ(ClickQuery(), line) << "run " << i + 1;
      const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
          std::chrono::steady_clock::now() - start);
      const std::size_t peak = Over(PeakResidentKiB(), baseline);
      const std::size_t after = Over(ResidentKiB(), baseline);
      std::printf(
          "[figure] %s, run %d: %lld ms, peak +%zu MiB, after +%zu MiB (baseline %zu MiB)\n", name,
          i + 1, static_cast<long long>(took.count()), peak / 1024, after / 1024, baseline / 1024);
      if (UnderAddressSanitizer()) continue;
      EXPECT_LE(after, 2 * 64 * 1024) << "KiB kept after run " << i + 1;
      EXPECT_LE(peak, 10 * 64 * 1024) << "KiB at the peak of run " << i + 1;
    }
  }

  static std::size_t Over(std::size_t value, std::size_t baseline) {
    return value > baseline ? value - baseline : 0;
  }
};

TEST_F(LargeAnswerTest, FiftyMiBBodyIsReadWhole) {
  service_.ScriptQuery(Send(HttpResponse(Padded(GoodBaseInfoJson(), 50 * kMiB))),
                       Send(HttpResponse(Padded(GoodUbInfoJson(), 50 * kMiB))));
  QueryRepeatedly("50 MiB body", kGoodLine, 2);
  ExpectGoodQueryStillWorks();
}

TEST_F(LargeAnswerTest, BodyThatNeverEndsIsCutOffByTheCap) {
  struct Case {
    const char* name;
    Reply reply;
  };
  const std::string chunk = std::string(64 * 1024, ' ') + GoodBaseInfoJson();
  const Case cases[] = {
      {"endless chunked body",
       Endless("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n", chunk, true)},
      {"endless body until close",
       Endless("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n", chunk, false)},
      // Refused as soon as the length is read.
      {"length of one TiB",
       Endless("HTTP/1.1 200 OK\r\nContent-Length: 1099511627776\r\n\r\n", chunk, false)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    service_.ScriptQuery(c.reply, c.reply);
    service_.ForgetHeads();
    // Every field is in the part that arrived; nothing of a body past the cap is used.
    QueryRepeatedly(c.name, kEmptyLine, 2);
    EXPECT_EQ(service_.Heads().size(), 4U) << "two requests per query";
    ExpectGoodQueryStillWorks();
  }
}

}  // namespace
}  // namespace kelvaro::robustness
