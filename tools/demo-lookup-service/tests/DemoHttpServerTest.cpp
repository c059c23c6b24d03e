#include "tools/demo-lookup-service/DemoHttpServer.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>
#include <thread>

#include "tools/demo-lookup-service/Balance.h"
#include "tools/demo-lookup-service/tests/RawHttp.h"
#include "tools/demo-lookup-service/tests/Utf8Texts.h"

namespace kelvaro::demo {
namespace {

using namespace http_testing;
using namespace utf8;

const DemoService& SharedService() {
  static const DemoService service;
  return service;
}

// A server on a free loopback port, serving on its own thread, logging to a file of its own.
class DemoHttpServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    logPath_ = MakeTempFile("demo-service-log");
    logFile_ = std::fopen(logPath_.c_str(), "w");
    ASSERT_NE(logFile_, nullptr);
    log_ = std::make_unique<RequestLog>(logFile_);
    server_ = std::make_unique<DemoHttpServer>(SharedService(), *log_);
    port_ = server_->Bind("127.0.0.1", 0);
    ASSERT_GT(port_, 0);
    serving_ = std::thread([this] { served_ = server_->Serve(); });
  }

  void TearDown() override {
    if (server_) server_->Stop();
    if (serving_.joinable()) serving_.join();
    EXPECT_TRUE(served_);
    if (logFile_) std::fclose(logFile_);
    ::unlink(logPath_.c_str());
  }

  std::string Log() const { return ReadFile(logPath_); }

  std::string logPath_;
  std::FILE* logFile_ = nullptr;
  std::unique_ptr<RequestLog> log_;
  std::unique_ptr<DemoHttpServer> server_;
  int port_ = 0;
  std::thread serving_;
  bool served_ = true;
};

std::string BeijingBaseInfo() {
  return R"({"code":"0000","message":")" + std::string(kFound) +
         R"(","data":{"businessId":2,"tradeInterfaceNo":"1002","province":")" +
         std::string(kBeijing) + R"(","city":")" + std::string(kBeijing) +
         R"(","payDiscount":"0.995"}})";
}

TEST_F(DemoHttpServerTest, AnswersAnOriginFormRequest) {
  const auto response =
      Exchange(port_,
               "GET /web/phone/baseInfo?type=3&number=13800138000 HTTP/1.1\r\nHost: 127.0.0.1\r\n"
               "Connection: close\r\n\r\n");
  ASSERT_TRUE(response.has_value());
  EXPECT_EQ(response->status, 200);
  EXPECT_EQ(response->Header("Content-Type"), "application/json;charset=UTF-8");
  EXPECT_EQ(response->body, BeijingBaseInfo());
}

TEST_F(DemoHttpServerTest, AnswersAnAbsoluteFormRequestAsAProxyWould) {
  const std::string request =
      "GET http://lookup.kelvaro.invalid/web/phone/baseInfo?type=3&number=13800138000 HTTP/1.1\r\n"
      "Host: lookup.kelvaro.invalid\r\n\r\n";
  const auto response = Exchange(port_, request);
  ASSERT_TRUE(response.has_value());
  EXPECT_EQ(response->status, 200);
  EXPECT_EQ(response->Header("Content-Type"), "application/json;charset=UTF-8");
  EXPECT_EQ(response->body, BeijingBaseInfo());
  EXPECT_EQ(Log(),
            "GET http://lookup.kelvaro.invalid/web/phone/baseInfo?type=3&number=13800138000 "
            "HTTP/1.1\nHost: lookup.kelvaro.invalid\n\n");
}

TEST_F(DemoHttpServerTest, AnswersTheBalanceQueryWithEscapedUtf8Values) {
  // 江苏 and 常州 as the program's request object escapes them.
  const auto response =
      Exchange(port_,
               "GET http://lookup.kelvaro.invalid/web/phone/ubInfo?type=3&number=13912345678"
               "&province=%E6%B1%9F%E8%8B%8F&city=%E5%B8%B8%E5%B7%9E&p_type=2 HTTP/1.1\r\n"
               "Host: lookup.kelvaro.invalid\r\nConnection: close\r\n\r\n");
  ASSERT_TRUE(response.has_value());
  EXPECT_EQ(response->status, 200);
  EXPECT_EQ(response->body, R"({"message":")" + std::string(kFound) +
                                R"(","result":"0","data":{"balance":")" + BalanceOf("13912345678") +
                                R"(","username":"*"}})");
}

TEST_F(DemoHttpServerTest, LogsEachHeadExactlyAsReceivedInArrivalOrder) {
  // Odd spacing, header case and order that the HTTP library would normalise.
  RawConnection connection(port_);
  ASSERT_TRUE(connection.connected());
  ASSERT_TRUE(connection.Send(
      "GET  /web/5f0c3a9e7b214d68a1e4c2b97d30f816  HTTP/1.1\r\n"
      "zeta: last-in-the-alphabet\r\n"
      "Accept:  */* \r\n"
      "Host: lookup.kelvaro.invalid\r\n\r\n"
      "GET http://lookup.kelvaro.invalid/web/phone/baseInfo?type=3&number=1 HTTP/1.1\r\n"
      "Host: lookup.kelvaro.invalid\r\n"
      "Referer: http://lookup.kelvaro.invalid/web/phone/baseInfo?type=3&number=1\r\n\r\n"));
  const auto priming = connection.ReadResponse();
  ASSERT_TRUE(priming.has_value());
  EXPECT_EQ(priming->status, 200);
  EXPECT_EQ(priming->Header("Content-Type"), "text/html;charset=UTF-8");
  const auto base = connection.ReadResponse();
  ASSERT_TRUE(base.has_value());
  EXPECT_NE(base->body.find(kBadFormat), std::string::npos);
  EXPECT_EQ(Log(),
            "GET  /web/5f0c3a9e7b214d68a1e4c2b97d30f816  HTTP/1.1\n"
            "zeta: last-in-the-alphabet\n"
            "Accept:  */* \n"
            "Host: lookup.kelvaro.invalid\n"
            "\n"
            "GET http://lookup.kelvaro.invalid/web/phone/baseInfo?type=3&number=1 HTTP/1.1\n"
            "Host: lookup.kelvaro.invalid\n"
            "Referer: http://lookup.kelvaro.invalid/web/phone/baseInfo?type=3&number=1\n"
            "\n");
}

TEST_F(DemoHttpServerTest, KeepsAConnectionForSeveralRequests) {
  RawConnection connection(port_);
  ASSERT_TRUE(connection.connected());
  for (std::string_view number : {"13800138000", "18612345678", "19212345678"}) {
    SCOPED_TRACE(std::string(number));
    ASSERT_TRUE(connection.Send("GET /web/phone/baseInfo?type=3&number=" + std::string(number) +
                                " HTTP/1.1\r\nHost: x\r\n\r\n"));
    const auto response = connection.ReadResponse();
    ASSERT_TRUE(response.has_value());
    EXPECT_EQ(response->status, 200);
    EXPECT_NE(response->body.find(R"("code":"0000")"), std::string::npos);
  }
}

TEST_F(DemoHttpServerTest, AnswersHeadWithoutABody) {
  RawConnection connection(port_);
  ASSERT_TRUE(
      connection.Send("HEAD /web/phone/baseInfo?type=3&number=13800138000 HTTP/1.1\r\nHost: x\r\n"
                      "Connection: close\r\n\r\n"));
  const auto response = connection.ReadResponse(true);
  ASSERT_TRUE(response.has_value());
  EXPECT_EQ(response->status, 200);
  EXPECT_TRUE(connection.WaitForClose());
}

TEST_F(DemoHttpServerTest, RefusesOtherMethodsAndPaths) {
  const auto post = Exchange(port_,
                             "POST /web/phone/baseInfo HTTP/1.1\r\nHost: x\r\nContent-Length: 3\r\n"
                             "Connection: close\r\n\r\nabc");
  ASSERT_TRUE(post.has_value());
  EXPECT_EQ(post->status, 405);
  EXPECT_EQ(post->Header("Allow"), "GET, HEAD");
  const auto missing =
      Exchange(port_, "GET /favicon.ico HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
  ASSERT_TRUE(missing.has_value());
  EXPECT_EQ(missing->status, 404);
  // The POST's body is not mistaken for a head.
  EXPECT_EQ(Log(),
            "POST /web/phone/baseInfo HTTP/1.1\nHost: x\nContent-Length: 3\nConnection: close\n\n"
            "GET /favicon.ico HTTP/1.1\nHost: x\nConnection: close\n\n");
}

TEST_F(DemoHttpServerTest, LogsARequestTheLibraryRejects) {
  const auto response = Exchange(port_, "NONSENSE\r\nHost: x\r\n\r\n");
  if (response) {
    EXPECT_EQ(response->status, 400);
  }
  EXPECT_EQ(Log(), "NONSENSE\nHost: x\n\n");
}

TEST(DemoHttpServerStopTest, StopBeforeServeMakesServeReturn) {
  std::FILE* sink = std::tmpfile();
  ASSERT_NE(sink, nullptr);
  RequestLog log(sink);
  DemoHttpServer server(SharedService(), log);
  ASSERT_GT(server.Bind("127.0.0.1", 0), 0);
  server.Stop();
  server.Stop();
  EXPECT_TRUE(server.Serve());
  std::fclose(sink);
}

TEST(DemoHttpServerStopTest, StopEndsServingWhileAClientKeepsItsConnectionOpen) {
  std::FILE* sink = std::tmpfile();
  ASSERT_NE(sink, nullptr);
  RequestLog log(sink);
  DemoHttpServer server(SharedService(), log);
  const int port = server.Bind("127.0.0.1", 0);
  ASSERT_GT(port, 0);
  std::thread serving([&server] { server.Serve(); });
  RawConnection idle(port);
  ASSERT_TRUE(idle.Send("GET /web/phone/baseInfo?number=1 HTTP/1.1\r\nHost: x\r\n\r\n"));
  ASSERT_TRUE(idle.ReadResponse().has_value());
  server.Stop();
  serving.join();
  // The kept-alive connection is closed, and nobody listens any more.
  EXPECT_TRUE(idle.WaitForClose());
  EXPECT_FALSE(RawConnection(port).connected());
  std::fclose(sink);
}

TEST(DemoHttpServerBindTest, GivesMinusOneForAnAddressItCannotBind) {
  std::FILE* sink = std::tmpfile();
  ASSERT_NE(sink, nullptr);
  RequestLog log(sink);
  DemoHttpServer first(SharedService(), log);
  const int port = first.Bind("127.0.0.1", 0);
  ASSERT_GT(port, 0);
  DemoHttpServer second(SharedService(), log);
  EXPECT_EQ(second.Bind("127.0.0.1", port), -1);
  DemoHttpServer third(SharedService(), log);
  EXPECT_EQ(third.Bind("not an address", 0), -1);
  std::fclose(sink);
}

}  // namespace
}  // namespace kelvaro::demo
