// A lookup service that stops moving: it accepts and then says nothing, stops inside the status
// line, the header section or the body, or never accepts the connection at all. The request
// object's stall time-outs (SetTimeouts, here a few hundred milliseconds instead of the defaults'
// 30 and 60 seconds) end each request with the time-out error; the query still writes its line,
// and the window works afterwards. How long each took is printed, not checked.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <ostream>
#include <string>
#include <thread>
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
using Clock = std::chrono::steady_clock;

constexpr std::int32_t kShort = 300;  // ms

long long MsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// The request object's outcome for the last call: 0 for success, else the raised error number.
std::int32_t LastError() {
  return platform::LastCallOutcome() == platform::CallOutcome::Success
             ? 0
             : platform::LastCallException().code;
}

// Open and Send of a baseInfo request on SharedClient; returns the outcome.
std::int32_t SendBaseInfoRequest() {
  Text url = BaseInfoUrl(Text("13800138000"));
  SharedClient().Open(Text("GET"), url);
  SharedClient().Send();
  return LastError();
}

struct StallCase {
  const char* name;
  std::string sentBeforeTheStall;
};

// Names the case in test listings.
void PrintTo(const StallCase& c, std::ostream* out) {
  *out << c.name;
}

class StallTest : public ProgramFixture, public ::testing::WithParamInterface<StallCase> {
 protected:
  void SetUp() override {
    ProgramFixture::SetUp();
    // Every stall limit short; the request object keeps them across Open.
    SharedClient().SetTimeouts(kShort, kShort, kShort, kShort);
  }
};

TEST_P(StallTest, TheTimeOutEndsTheRequestAndTheQueryWritesItsLine) {
  const StallCase& c = GetParam();
  service_.ScriptQuery(StallAfter(c.sentBeforeTheStall), StallAfter(c.sentBeforeTheStall));

  Clock::time_point start = Clock::now();
  EXPECT_EQ(SendBaseInfoRequest(), winhttp::kTimeout);
  std::printf("[figure] %s: Send returned after %lld ms (receive time-out %d ms)\n", c.name,
              MsSince(start), kShort);

  SetNumber("13800138000");
  start = Clock::now();
  EXPECT_EQ(ClickQuery(), kEmptyLine);
  std::printf("[figure] %s: query took %lld ms\n", c.name, MsSince(start));

  ExpectGoodQueryStillWorks();
}

INSTANTIATE_TEST_SUITE_P(
    Stalls, StallTest,
    ::testing::Values(
        StallCase{"NoAnswerAtAll", ""}, StallCase{"InsideTheStatusLine", "HTTP/1.1 2"},
        StallCase{"InsideTheHeaderSection", "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n"},
        StallCase{"InTheMiddleOfTheBody",
                  "HTTP/1.1 200 OK\r\nContent-Length: 5000\r\n\r\n" + GoodBaseInfoJson()}),
    [](const ::testing::TestParamInfo<StallCase>& param) { return std::string(param.param.name); });

// The service's port takes no connection: its listening queue is full and nothing accepts.
TEST_F(StallTest, ConnectTimeOutEndsAConnectionThatIsNeverAccepted) {
  platform::testing::RawServer silent(nullptr, /*accepting=*/false);
  std::vector<int> fillers;
  for (int i = 0; i < 3; ++i) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(silent.port()));
    ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    fillers.push_back(fd);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  SetProxy("http://127.0.0.1:" + std::to_string(silent.port()));

  Clock::time_point start = Clock::now();
  EXPECT_EQ(SendBaseInfoRequest(), winhttp::kTimeout);
  std::printf("[figure] connect stall: Send returned after %lld ms (connect time-out %d ms)\n",
              MsSince(start), kShort);
  SetNumber("13800138000");
  start = Clock::now();
  EXPECT_EQ(ClickQuery(), kEmptyLine);
  std::printf("[figure] connect stall: query took %lld ms\n", MsSince(start));

  for (const int fd : fillers) ::close(fd);
  SetProxy(service_.ProxyUrl());
  ExpectGoodQueryStillWorks();
}

// A request body the server never reads: the send time-out ends it. The query itself sends no
// body; this is the request object's own guard, on a client of its own that goes direct.
TEST_F(StallTest, SendTimeOutEndsAnUploadTheServerNeverReads) {
  platform::testing::RawServer notReading(
      [](int, platform::testing::RawServer& server) { server.WaitUntilStopping(); });
  HttpClient client;
  client.SetProxy(1, Text());
  client.SetTimeouts(kShort, kShort, kShort, kShort);
  Text url = Text(notReading.Url("/upload").c_str());
  client.Open(Text("POST"), url);
  const Clock::time_point start = Clock::now();
  client.SendBytes(Bytes(32 * 1024 * 1024, 'u'));
  EXPECT_EQ(LastError(), winhttp::kTimeout);
  std::printf("[figure] send stall: SendBytes returned after %lld ms (send time-out %d ms)\n",
              MsSince(start), kShort);
  ExpectGoodQueryStillWorks();
}

}  // namespace
}  // namespace kelvaro::robustness
