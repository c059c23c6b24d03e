// The balance query against a scripted lookup service on loopback, reached the way the program
// reaches the real one: the built-in base address through the request object's default proxy
// setting (http_proxy).
#include "lookup/BalanceQuery.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "lookup/LookupSettings.h"
#include "platform/PlatformClasses.h"
#include "platform/request/tests/RawServer.h"
#include "text/CodePage.h"
#include "text/TextOps.h"

namespace kelvaro {
namespace {

using platform::testing::RawServer;

std::string HttpAnswer(const std::string& body) {
  return "HTTP/1.1 200 OK\r\nContent-Type: application/json;charset=UTF-8\r\nContent-Length: " +
         std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

std::string BaseInfoBody(const std::string& code, const std::string& province,
                         const std::string& city) {
  return "{\"code\":\"0000\",\"data\":{\"businessId\":" + code +
         ",\"tradeInterfaceNo\":\"QRY01\",\"province\":\"" + province + "\",\"city\":\"" + city +
         "\",\"payDiscount\":\"0.98\"}}";
}

std::string UbInfoBody(const std::string& message, const std::string& balance) {
  return "{\"message\":\"" + message + "\",\"result\":\"0\",\"data\":{\"balance\":\"" + balance +
         "\",\"username\":\"*\"}}";
}

// A lookup service that answers baseInfo and ubInfo with scripted bodies and records each
// request line.
class ScriptedService {
 public:
  ScriptedService(std::string baseInfoBody, std::string ubInfoBody)
      : baseInfo_(HttpAnswer(std::move(baseInfoBody))),
        ubInfo_(HttpAnswer(std::move(ubInfoBody))),
        server_([this](int socket, RawServer& server) {
          const std::string request = platform::testing::ReadRequest(socket);
          server.Record(request.substr(0, request.find("\r\n")));
          platform::testing::WriteAll(
              socket, request.find("/web/phone/baseInfo") != std::string::npos ? baseInfo_
                                                                                 : ubInfo_);
        }) {}

  int port() const { return server_.port(); }
  std::vector<std::string> RequestLines() { return server_.Recorded(); }

 private:
  std::string baseInfo_;
  std::string ubInfo_;
  RawServer server_;
};

// Points the request object's default proxy setting at a port for the life of the object.
class ProxyEnvironment {
 public:
  explicit ProxyEnvironment(int port) {
    const std::string proxy = "http://127.0.0.1:" + std::to_string(port);
    ::setenv("http_proxy", proxy.c_str(), 1);
    ::unsetenv("no_proxy");
    ::unsetenv("NO_PROXY");
  }
  ~ProxyEnvironment() { ::unsetenv("http_proxy"); }
  ProxyEnvironment(const ProxyEnvironment&) = delete;
  ProxyEnvironment& operator=(const ProxyEnvironment&) = delete;
};

// A window of the query's needs: the edit box text, the label, and event processing.
class FakeWindow : public QueryWindow {
 public:
  Text number;
  Text label = "\r\n\xB2\xE9\xD1\xAF\xBD\xE1\xB9\xFB";  // the label's initial "\r\n查询结果"
  int numberReads = 0;
  int labelWrites = 0;
  std::function<void()> onProcessEvents;

  Text NumberText() override {
    ++numberReads;
    return number;
  }
  void ShowResult(const Text& line) override {
    ++labelWrites;
    label = line;
  }
  void ProcessEvents() override {
    if (onProcessEvents) onProcessEvents();
  }
};

std::string Base() { return settings::kLookupBase; }

// The automation classes must be registered before the client creates its request object.
struct PlatformClassesRegistered {
  PlatformClassesRegistered() { platform::RegisterPlatformClasses(); }
};

class BalanceQueryTest : public ::testing::Test, private PlatformClassesRegistered {
 protected:
  HttpClient client_;
};

TEST(ResultLineTest, JoinsTheSevenPieces) {
  EXPECT_EQ(ResultLine(FromUtf8("查询成功"), FromUtf8(" 中国移动；"), FromUtf8("广东"),
                       FromUtf8("深圳"), "36.20"),
            FromUtf8("查询成功 中国移动；手机号归属地：广东深圳！ 余额：36.20"));
  EXPECT_EQ(ResultLine("", "", "", "", ""), FromUtf8("手机号归属地：！ 余额："));
}

TEST_F(BalanceQueryTest, AnswersBecomeTheResultLine) {
  const struct {
    const char* label;
    std::string number;
    std::string baseInfo;
    std::string ubInfo;
    std::string line;  // UTF-8
  } cases[] = {
      {"China Mobile with province, city, message and balance", "13800138000",
       BaseInfoBody("2", "广东", "深圳"), UbInfoBody("查询成功", "36.20"),
       "查询成功 中国移动；手机号归属地：广东深圳！ 余额：36.20"},
      {"China Unicom with an empty balance", "13012345678", BaseInfoBody("3", "北京", "北京"),
       UbInfoBody("查询成功", ""), "查询成功 中国联通；手机号归属地：北京北京！ 余额："},
      {"a carrier code outside the table has no name", "19212345678",
       BaseInfoBody("4", "上海", "上海"), UbInfoBody("ok", "1"), "ok手机号归属地：上海上海！ 余额：1"},
      {"a quoted carrier code has no name", "1", BaseInfoBody("\"1\"", "a", "b"),
       UbInfoBody("m", "2"), "m手机号归属地：ab！ 余额：2"},
      {"answers without any field", "1", "<html>502 Bad Gateway</html>", "<html>oops</html>",
       "手机号归属地：！ 余额："},
      {"a value holding its own right delimiter is cut there", "1", BaseInfoBody("1", "x", "y"),
       UbInfoBody("a\",\"result b", "3"), "a 中国电信；手机号归属地：xy！ 余额：3"},
      {"an escaped quote stays in the balance", "1", BaseInfoBody("2", "x", "y"),
       UbInfoBody("ok", "1\\\"2"), "ok 中国移动；手机号归属地：xy！ 余额：1\\\"2"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    ScriptedService service(c.baseInfo, c.ubInfo);
    ProxyEnvironment proxy(service.port());
    FakeWindow window;
    window.number = Text(c.number);
    QueryBalance(client_, window);
    EXPECT_EQ(ToUtf8(window.label), c.line);
    EXPECT_EQ(window.numberReads, 2) << "the number is read before each request";
    EXPECT_EQ(window.labelWrites, 1);
  }
}

TEST_F(BalanceQueryTest, RequestsCarryTheNumberAndTheCutFieldsUnvalidated) {
  const struct {
    const char* label;
    std::string number;
    std::string baseInfo;
    std::vector<std::string> requestLines;
  } cases[] = {
      {"an empty number", "", BaseInfoBody("", "", ""),
       {"GET " + Base() + "/web/phone/baseInfo?type=3&number= HTTP/1.1",
        "GET " + Base() + "/web/phone/ubInfo?type=3&number=&province=&city=&p_type= HTTP/1.1"}},
      {"& and = go in raw; spaces are escaped by the request object", "1 3&a=b",
       BaseInfoBody("2", "", ""),
       {"GET " + Base() + "/web/phone/baseInfo?type=3&number=1%203&a=b HTTP/1.1",
        "GET " + Base() +
            "/web/phone/ubInfo?type=3&number=1%203&a=b&province=&city=&p_type=2 HTTP/1.1"}},
      {"Chinese province and city leave as UTF-8, escaped", "13800138000",
       BaseInfoBody("2", "广东", "深圳"),
       {"GET " + Base() + "/web/phone/baseInfo?type=3&number=13800138000 HTTP/1.1",
        "GET " + Base() +
            "/web/phone/ubInfo?type=3&number=13800138000&province=%E5%B9%BF%E4%B8%9C"
            "&city=%E6%B7%B1%E5%9C%B3&p_type=2 HTTP/1.1"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    ScriptedService service(c.baseInfo, UbInfoBody("ok", "1"));
    ProxyEnvironment proxy(service.port());
    FakeWindow window;
    window.number = Text(c.number);
    QueryBalance(client_, window);
    EXPECT_EQ(service.RequestLines(), c.requestLines);
  }
}

TEST_F(BalanceQueryTest, TheNumberIsReadAgainForTheSecondRequest) {
  ScriptedService service(BaseInfoBody("2", "", ""), UbInfoBody("ok", "1"));
  ProxyEnvironment proxy(service.port());
  int reads = 0;
  const BalanceQueryResult result = RunBalanceQuery(client_, [&] {
    return Text(++reads == 1 ? "111" : "222");
  });
  const std::vector<std::string> lines = service.RequestLines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_NE(lines[0].find("number=111 "), std::string::npos);
  EXPECT_NE(lines[1].find("number=222&"), std::string::npos);
  EXPECT_TRUE(result.baseInfoSent && result.ubInfoSent);
}

TEST_F(BalanceQueryTest, FailedRequestsAfterASuccessShowEmptyFieldsNotTheOldResult) {
  FakeWindow window;
  window.number = "13800138000";
  {
    ScriptedService service(BaseInfoBody("2", "广东", "深圳"), UbInfoBody("查询成功", "36.20"));
    ProxyEnvironment proxy(service.port());
    QueryBalance(client_, window);
    ASSERT_EQ(ToUtf8(window.label), "查询成功 中国移动；手机号归属地：广东深圳！ 余额：36.20");
  }
  ProxyEnvironment refused(platform::testing::UnusedLoopbackPort());
  QueryBalance(client_, window);
  EXPECT_EQ(window.label, FromUtf8("手机号归属地：！ 余额："));
  EXPECT_EQ(window.labelWrites, 2);

  const BalanceQueryResult failed = RunBalanceQuery(client_, [] { return Text("1"); });
  EXPECT_FALSE(failed.baseInfoSent);
  EXPECT_FALSE(failed.ubInfoSent);
}

TEST_F(BalanceQueryTest, AClickDuringAQueryRunsOneMoreQueryAfterItNotInsideIt) {
  ScriptedService service(BaseInfoBody("2", "a", "b"), UbInfoBody("ok", "1"));
  ProxyEnvironment proxy(service.port());
  FakeWindow window;
  window.number = "100";
  int depth = 0;
  int maxDepth = 0;
  int processed = 0;
  window.onProcessEvents = [&] {
    ++processed;
    if (processed > 1) return;
    // Two clicks were queued while the first query ran; dispatching them re-enters the command.
    window.number = "200";
    ++depth;
    maxDepth = std::max(maxDepth, depth);
    QueryBalance(client_, window);
    QueryBalance(client_, window);
    --depth;
  };
  QueryBalance(client_, window);
  const std::vector<std::string> lines = service.RequestLines();
  ASSERT_EQ(lines.size(), 4u) << "the two clicks coalesced into one further query";
  EXPECT_NE(lines[0].find("number=100"), std::string::npos);
  EXPECT_NE(lines[2].find("number=200"), std::string::npos);
  EXPECT_EQ(window.labelWrites, 2);
  EXPECT_EQ(processed, 2);
  EXPECT_EQ(maxDepth, 1);

  // The guard is released: a later click runs a query again.
  QueryBalance(client_, window);
  EXPECT_EQ(service.RequestLines().size(), 6u);
}

}  // namespace
}  // namespace kelvaro
