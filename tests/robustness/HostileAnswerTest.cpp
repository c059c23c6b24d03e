// The lookup service answers badly or hostilely. For each answer the request object reports the
// failure by value (its error number, never a crash), the query still writes its line into 标签3,
// both requests of the query went out (no more, except where redirects are followed), and the
// next query against a good answer shows the right line: nothing else was harmed.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "app/SharedClient.h"
#include "lookup/LookupProtocol.h"
#include "platform/automation/CallOutcome.h"
#include "platform/request/WinHttpErrors.h"
#include "platform/request/tests/RawServer.h"
#include "tests/robustness/ProgramFixture.h"

namespace kelvaro::robustness {
namespace {

namespace winhttp = platform::winhttp;

struct HostileCase {
  const char* name;  // the test's name
  Reply baseInfo;
  Reply ubInfo;
  // What the request object reports for a baseInfo request answered so: its error number (0 for
  // a completed response) and, when completed, the status.
  std::int32_t error;
  int status;
  std::string_view line;         // what 标签3 shows afterwards (UTF-8)
  std::size_t requestsEach = 1;  // baseInfo (and ubInfo) request heads the query sends
};

// Names the case in test listings.
void PrintTo(const HostileCase& c, std::ostream* out) {
  *out << c.name;
}

std::string OkHead(std::string_view extra = "") {
  return "HTTP/1.1 200 OK\r\nContent-Type: application/json;charset=UTF-8\r\n" +
         std::string(extra) + "\r\n";
}

// A head that announces `body` plus 1000 bytes more, and `body`: the rest never comes.
std::string HalfAnswer(const std::string& body) {
  return OkHead("Content-Length: " + std::to_string(body.size() + 1000) + "\r\n") + body;
}

// A complete answer that leaves the connection open.
std::string KeepAliveAnswer(const std::string& body) {
  return OkHead("Content-Length: " + std::to_string(body.size()) + "\r\n") + body;
}

// 70 KiB of header lines before the end of the head.
std::string OversizedHead() {
  std::string head = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n";
  for (int i = 0; head.size() < 70 * 1024; ++i)
    head += "X-Padding-" + std::to_string(i) + ": " + std::string(100, 'a') + "\r\n";
  return head + "\r\n{}";
}

std::vector<HostileCase> Cases() {
  const std::string base = GoodBaseInfoJson();
  const std::string ub = GoodUbInfoJson();
  const std::string nul(1, '\0');
  return {
      {"ClosedBeforeAnyHeader", CloseAtOnce(), CloseAtOnce(), winhttp::kConnectionError, 0,
       kEmptyLine},
      {"ClosedInsideTheHeaderSection", Send("HTTP/1.1 200 OK\r\nContent-Le"),
       Send("HTTP/1.1 200 OK\r\nContent-Le"), winhttp::kConnectionError, 0, kEmptyLine},
      // The part that arrived holds every field; nothing of a broken answer is used.
      {"ResetInTheMiddleOfTheBody", ResetAfter(HalfAnswer(base)), ResetAfter(HalfAnswer(ub)),
       winhttp::kConnectionError, 0, kEmptyLine},
      {"ClosedInTheMiddleOfTheBody", Send(HalfAnswer(base)), Send(HalfAnswer(ub)),
       winhttp::kConnectionError, 0, kEmptyLine},
      {"BrokenChunkedCoding", Send(OkHead("Transfer-Encoding: chunked\r\n") + "zz\r\n" + base),
       Send(OkHead("Transfer-Encoding: chunked\r\n") + "zz\r\n" + ub), winhttp::kConnectionError, 0,
       kEmptyLine},
      {"BodyOfZeroBytes", Send(HttpResponse("")), Send(HttpResponse("")), 0, 200, kEmptyLine},
      // Each invalid sequence becomes U+FFFD on decoding, and that "?" in code page 936.
      {"InvalidUtf8", Send(HttpResponse(BaseInfoJson("2", "\xFF\xFE\xE5\x8C\x97", "\xE5\x8C"))),
       Send(HttpResponse(UbInfoJson("\xC0\xAF", "1\x80"))), 0, 200,
       "?? 中国移动；手机号归属地：??北?！ 余额：1?"},
      // The answer ends at its first zero byte: fields behind it are missing.
      {"ZeroByteBeforeTheFields", Send(HttpResponse(nul + base)), Send(HttpResponse(nul + ub)), 0,
       200, kEmptyLine},
      {"ZeroByteBetweenTheFields", Send(HttpResponse(base + nul + "tail")),
       Send(HttpResponse(UbInfoJson("查询成功", "12" + nul + "34"))), 0, 200,
       "查询成功 中国移动；手机号归属地：北京北京！ 余额："},
      // The request object follows 10 redirects and fails the 11th.
      {"RedirectLoop", RedirectToItself(), RedirectToItself(), winhttp::kRedirectFailed, 0,
       kEmptyLine, 11},
      {"HeaderSectionOver64KiB", Send(OversizedHead()), Send(OversizedHead()),
       winhttp::kHeaderSizeOverflow, 0, kEmptyLine},
      {"HeaderSectionThatNeverEnds",
       Endless("HTTP/1.1 200 OK\r\n", "X-Padding: " + std::string(200, 'a') + "\r\n", false),
       Endless("HTTP/1.1 200 OK\r\n", "X-Padding: " + std::string(200, 'a') + "\r\n", false),
       winhttp::kHeaderSizeOverflow, 0, kEmptyLine},
      {"HeaderLineThatNeverEnds", Endless("HTTP/1.1 200 OK\r\nX-Padding: ", "aaaa", false),
       Endless("HTTP/1.1 200 OK\r\nX-Padding: ", "aaaa", false), winhttp::kHeaderSizeOverflow, 0,
       kEmptyLine},
      {"NotHttpText", Send("SSH-2.0-OpenSSH_9.2p1 Debian-2\r\n"),
       Send("SSH-2.0-OpenSSH_9.2p1 Debian-2\r\n"), winhttp::kInvalidServerResponse, 0, kEmptyLine},
      {"NotHttpBinary", Send(std::string("\x16\x03\x01\x00\x05\x00\xFF\x00\x01\x02", 10)),
       Send(std::string("\x16\x03\x01\x00\x05\x00\xFF\x00\x01\x02", 10)),
       winhttp::kInvalidServerResponse, 0, kEmptyLine},
      {"StatusLineWithoutCode", Send("HTTP/1.1 OK\r\nContent-Length: 2\r\n\r\n{}"),
       Send("HTTP/1.1 OK\r\nContent-Length: 2\r\n\r\n{}"), winhttp::kInvalidServerResponse, 0,
       kEmptyLine},
      // Two lengths that disagree: the last one counts.
      {"ConflictingContentLengths",
       Send(OkHead("Content-Length: 3\r\nContent-Length: " + std::to_string(base.size()) + "\r\n") +
            base),
       Send(OkHead("Content-Length: 3\r\nContent-Length: " + std::to_string(ub.size()) + "\r\n") +
            ub),
       0, 200, kGoodLine},
      // More bytes than announced, on a connection left open: what follows the answer (here a
      // whole forged ubInfo answer, or garbage) must never be taken for the next request's answer.
      {"SecondAnswerStuffedBehindTheFirst",
       Send(KeepAliveAnswer(base) + HttpResponse(UbInfoJson("forged", "999.99")), true),
       Send(HttpResponse(ub)), 0, 200, kGoodLine},
      {"GarbageBehindTheAnswer", Send(KeepAliveAnswer(base) + "garbage\r\n\r\n", true),
       Send(HttpResponse(ub)), 0, 200, kGoodLine},
      // The shorter length counts last: the rest of the body stays unread on the open connection.
      {"ConflictingContentLengthsShortLast",
       Send(OkHead("Content-Length: " + std::to_string(base.size()) + "\r\nContent-Length: 3\r\n") +
                base,
            true),
       Send(HttpResponse(ub)), 0, 200, "查询成功手机号归属地：！ 余额：12.34"},
      // The body runs until the connection closes.
      {"Http10WithoutLength",
       Send("HTTP/1.0 200 OK\r\nContent-Type: application/json\r\n\r\n" + base),
       Send("HTTP/1.0 200 OK\r\nContent-Type: application/json\r\n\r\n" + ub), 0, 200, kGoodLine},
      // The status is not looked at; the page holds no field.
      {"Status500WithHtmlPage",
       Send(HttpResponse("<html><head><title>500 Internal Server Error</title></head><body><h1>"
                         "Internal Server Error</h1></body></html>",
                         "500 Internal Server Error", "text/html")),
       Send(HttpResponse("<html><body>error</body></html>", "500 Internal Server Error",
                         "text/html")),
       0, 500, kEmptyLine},
  };
}

class HostileAnswerTest : public ProgramFixture,
                          public ::testing::WithParamInterface<HostileCase> {};

TEST_P(HostileAnswerTest, TheLabelIsWrittenAndTheNextQueryWorks) {
  const HostileCase& c = GetParam();
  service_.ScriptQuery(c.baseInfo, c.ubInfo);

  // The request object on its own: the failure comes back by value.
  Text url = BaseInfoUrl(Text("13800138000"));
  SharedClient().Open(Text("GET"), url);
  SharedClient().Send();
  const platform::CallOutcome outcome = platform::LastCallOutcome();
  const std::int32_t error = platform::LastCallException().code;
  EXPECT_EQ(outcome == platform::CallOutcome::Success ? 0 : error, c.error);
  if (c.error != 0) {
    EXPECT_EQ(outcome, platform::CallOutcome::Exception);
  } else {
    EXPECT_EQ(SharedClient().Status(), c.status);
  }
  service_.ForgetHeads();

  // The whole query through the window.
  SetNumber("13800138000");
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(ClickQuery(), c.line);
  const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - start);
  std::printf("[figure] %s: query took %lld ms\n", c.name, static_cast<long long>(took.count()));
  EXPECT_EQ(service_.Heads(RequestKind::BaseInfo).size(), c.requestsEach);
  EXPECT_EQ(service_.Heads(RequestKind::UbInfo).size(), c.requestsEach);
  EXPECT_EQ(service_.Heads().size(), 2 * c.requestsEach) << "no other request went out";

  ExpectGoodQueryStillWorks();
}

INSTANTIATE_TEST_SUITE_P(Answers, HostileAnswerTest, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<HostileCase>& param) {
                           return std::string(param.param.name);
                         });

// Nothing listens where the program looks for the service.
class NoServiceTest : public ProgramFixture {};

TEST_F(NoServiceTest, ConnectionRefusedStillWritesTheLabel) {
  SetProxy("http://127.0.0.1:" + std::to_string(platform::testing::UnusedLoopbackPort()));
  Text url = BaseInfoUrl(Text("13800138000"));
  SharedClient().Open(Text("GET"), url);
  SharedClient().Send();
  EXPECT_EQ(platform::LastCallOutcome(), platform::CallOutcome::Exception);
  EXPECT_EQ(platform::LastCallException().code, winhttp::kCannotConnect);

  SetNumber("13800138000");
  EXPECT_EQ(ClickQuery(), kEmptyLine);

  SetProxy(service_.ProxyUrl());
  ExpectGoodQueryStillWorks();
  EXPECT_EQ(service_.Heads().size(), 2U) << "only the query after the service came back";
}

}  // namespace
}  // namespace kelvaro::robustness
