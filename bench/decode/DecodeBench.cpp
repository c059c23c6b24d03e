// Speed of DecodeBytes (UTF-8 into code page 936 through a fresh charset stream object) beside
// ICU converting the same bytes directly, in one step, from UTF-8 to code page 936.
//
// The bytes are lookup-service answers: JSON, ASCII mixed with Chinese names and messages. Sizes
// run from 1 KiB to 16 MiB; for each 16-fold step the table also gives how much longer the larger
// size takes (16 for linear growth), for DecodeBytes and for ICU alike.
//
//   kelvaro_bench_decode [--rounds N]
#include <unicode/ucnv.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "bench/common/SideBySide.h"
#include "http/HttpClient.h"
#include "platform/PlatformClasses.h"
#include "platform/automation/ComInit.h"

namespace kelvaro {
namespace {

using bench::Row;

// One answer record in UTF-8: "广东" Guangdong, "深圳" Shenzhen, "中国移动" China Mobile,
// "查询成功，余额充足" query succeeded, balance sufficient.
constexpr std::string_view kRecord =
    "{\"number\":\"13800138000\",\"province\":\"\xE5\xB9\xBF\xE4\xB8\x9C\",\"city\":\""
    "\xE6\xB7\xB1\xE5\x9C\xB3\",\"carrier\":\"\xE4\xB8\xAD\xE5\x9B\xBD\xE7\xA7\xBB\xE5\x8A\xA8\","
    "\"message\":\"\xE6\x9F\xA5\xE8\xAF\xA2\xE6\x88\x90\xE5\x8A\x9F\xEF\xBC\x8C\xE4\xBD\x99\xE9"
    "\xA2\x9D\xE5\x85\x85\xE8\xB6\xB3\",\"balance\":\"12.34\",\"updated\":\"2024-05-01\"},";

// Exactly `size` bytes of whole records, spaces making up the rest.
Bytes MakeAnswer(std::size_t size) {
  Bytes answer;
  answer.reserve(size);
  while (answer.size() + kRecord.size() <= size)
    answer.insert(answer.end(), kRecord.begin(), kRecord.end());
  answer.resize(size, ' ');
  return answer;
}

// ICU's one-step conversion into a buffer of the output's greatest possible size (code page 936
// never takes more bytes than UTF-8 for the same characters).
std::string ConvertWithIcu(const Bytes& utf8) {
  std::string out(utf8.size(), '\0');
  UErrorCode status = U_ZERO_ERROR;
  const int32_t written = ucnv_convert(
      "windows-936", "UTF-8", out.data(), static_cast<int32_t>(out.size()),
      reinterpret_cast<const char*>(utf8.data()), static_cast<int32_t>(utf8.size()), &status);
  if (U_FAILURE(status)) {
    std::fprintf(stderr, "ucnv_convert failed: %s\n", u_errorName(status));
    std::exit(1);
  }
  out.resize(static_cast<std::size_t>(written));
  return out;
}

// How many calls make one sample last about `sampleSeconds`.
template <typename Body>
int CallsPerSample(Body&& body, double sampleSeconds) {
  const double once = bench::SecondsFor(body);
  if (once >= sampleSeconds) return 1;
  return static_cast<int>(sampleSeconds / std::max(once, 1e-7)) + 1;
}

// Microseconds per call, over `calls` calls.
template <typename Body>
double MicrosecondsPerCall(Body&& body, int calls) {
  return bench::SecondsFor([&] {
           for (int i = 0; i < calls; ++i) body();
         }) *
         1e6 / calls;
}

struct Size {
  const char* name;
  std::size_t bytes;
};

// 4 KiB to 16 MiB in 16-fold steps, and 1 KiB below them.
constexpr Size kSizes[] = {{"1KiB", 1u << 10},
                           {"4KiB", 4u << 10},
                           {"64KiB", 64u << 10},
                           {"1MiB", 1u << 20},
                           {"16MiB", 16u << 20}};

}  // namespace
}  // namespace kelvaro

int main(int argc, char** argv) {
  using namespace kelvaro;
  int rounds = 9;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc) {
      rounds = std::max(1, std::atoi(argv[++i]));
    } else {
      std::fprintf(stderr, "usage: kelvaro_bench_decode [--rounds N]\n");
      return 2;
    }
  }
  platform::RegisterPlatformClasses();
  // As in the program: objects are created on a thread that initialised COM.
  platform::CoInitialize();

  std::vector<bench::Medians> medians;
  for (const Size& size : kSizes) {
    const Bytes answer = MakeAnswer(size.bytes);
    const Text decoded = DecodeBytes(answer);
    const std::string direct = ConvertWithIcu(answer);
    if (decoded.bytes() != direct) {
      std::fprintf(stderr, "DecodeBytes and ICU disagree on the %s answer (%zu and %zu bytes)\n",
                   size.name, decoded.size(), direct.size());
      return 1;
    }
    auto program = [&] {
      volatile std::size_t n = DecodeBytes(answer).size();
      (void)n;
    };
    auto baseline = [&] {
      volatile std::size_t n = ConvertWithIcu(answer).size();
      (void)n;
    };
    constexpr double kSampleSeconds = 0.02;
    const int programCalls = CallsPerSample(program, kSampleSeconds);
    const int baselineCalls = CallsPerSample(baseline, kSampleSeconds);
    const bench::Medians m = bench::Interleave(
        rounds, [&] { return MicrosecondsPerCall(program, programCalls); },
        [&] { return MicrosecondsPerCall(baseline, baselineCalls); });
    medians.push_back(m);
    bench::PrintRow({std::string("DecodeBytes ") + size.name + " vs ICU ucnv_convert", m.program,
                     m.baseline, "us", m.ratio, "<= 2.00", m.ratio <= 2.0});
  }
  // Growth over each 16-fold step (the first size is not one of them).
  for (std::size_t i = 2; i < std::size(kSizes); ++i) {
    const double program = bench::Ratio(medians[i].program, medians[i - 1].program);
    const double baseline = bench::Ratio(medians[i].baseline, medians[i - 1].baseline);
    bench::PrintRow(
        {std::string("DecodeBytes growth ") + kSizes[i - 1].name + "->" + kSizes[i].name, program,
         baseline, "x per 16x", bench::Ratio(program, baseline), "<= 24 or <= 1.25 x baseline",
         bench::GrowthIsLinear(program, baseline)});
  }
  platform::CoUninitialize();
  return 0;
}
