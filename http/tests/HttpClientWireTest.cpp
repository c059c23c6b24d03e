// HttpClient with the real request object against a loopback server: what goes on the wire and
// how answers come back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "http/HttpClient.h"
#include "platform/PlatformClasses.h"
#include "platform/request/tests/RawServer.h"
#include "text/CodePage.h"

namespace kelvaro {
namespace {

using platform::testing::AnswerWith;
using platform::testing::RawServer;

// The header lines of a request head, in order, without the request line.
std::vector<std::string> HeaderLines(const std::string& head) {
  std::vector<std::string> lines;
  std::size_t at = head.find("\r\n");
  while (at != std::string::npos) {
    const std::size_t next = head.find("\r\n", at + 2);
    if (next == std::string::npos || next == at + 2) break;
    lines.push_back(head.substr(at + 2, next - at - 2));
    at = next;
  }
  return lines;
}

std::string RequestLine(const std::string& request) { return request.substr(0, request.find("\r\n")); }

std::string Answer(const std::string& body) {
  return "HTTP/1.1 200 OK\r\nContent-Type: application/json;charset=UTF-8\r\nContent-Length: " +
         std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

class HttpClientWireTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::RegisterPlatformClasses();
    ::unsetenv("http_proxy");
    ::unsetenv("HTTP_PROXY");
  }
};

TEST_F(HttpClientWireTest, GetCarriesTheDefaultHeadersInOrderWithItsOwnUrlAsReferer) {
  RawServer server(AnswerWith(Answer("{}")));
  HttpClient client;
  Text url(server.Url("/web/phone/baseInfo?type=3&number=13800138000"));
  client.Open(std::nullopt, url);
  client.Send();
  ASSERT_EQ(client.Status(), 200) << ToUtf8(client.LastError());

  const std::string request = server.WaitForRecords(1).at(0);
  EXPECT_EQ(RequestLine(request), "GET /web/phone/baseInfo?type=3&number=13800138000 HTTP/1.1");
  const std::vector<std::string> expected = {
      "Host: 127.0.0.1:" + std::to_string(server.port()),
      "Accept: */*",
      "Accept-Language: zh-cn",
      "Referer: " + std::string(url.bytes()),
      "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)",
  };
  EXPECT_EQ(HeaderLines(request), expected);
}

TEST_F(HttpClientWireTest, PostAddsContentTypeAfterUserAgentAndSendsTheBody) {
  RawServer server(AnswerWith(Answer("ok")));
  HttpClient client;
  Text url(server.Url("/form"));
  client.Open(Text("post"), url);
  client.Send(Text("a=1&b=2"));
  ASSERT_EQ(client.Status(), 200) << ToUtf8(client.LastError());

  const std::string request = server.WaitForRecords(1).at(0);
  EXPECT_EQ(RequestLine(request), "post /form HTTP/1.1") << "the method goes out as written";
  std::vector<std::string> names;
  for (const std::string& line : HeaderLines(request)) names.push_back(line.substr(0, line.find(':')));
  const std::vector<std::string> expectedOrder = {"Host",    "Accept",       "Accept-Language",
                                                  "Referer", "User-Agent",   "Content-Type",
                                                  "Content-Length"};
  EXPECT_EQ(names, expectedOrder);
  EXPECT_NE(request.find("\r\nContent-Type: application/x-www-form-urlencoded\r\n"),
            std::string::npos);
  EXPECT_EQ(request.substr(request.size() - 7), "a=1&b=2");
}

TEST_F(HttpClientWireTest, ResponseBodyUtf8DecodesAChineseAnswer) {
  const std::string body = "{\"message\":\"查询成功\",\"result\":\"0\",\"city\":\"深圳\"}";
  RawServer server(AnswerWith(Answer(body)));
  HttpClient client;
  Text url(server.Url("/web/phone/ubInfo"));
  client.Open(Text("GET"), url);
  client.Send();
  const Text answer = client.ResponseBodyUtf8();
  EXPECT_EQ(answer, FromUtf8(body));
  EXPECT_EQ(answer.bytes().substr(0, 14), "{\"message\":\"\xB2\xE9") << "two GBK bytes a character";
  EXPECT_EQ(client.LastError(), Text()) << "the stream's Close succeeded";
}

TEST_F(HttpClientWireTest, ResponseBodyUtf8WithoutAResponseIsEmptyAndReportsTheStreamsClose) {
  HttpClient client;
  EXPECT_EQ(client.ResponseBodyUtf8(), Text()) << "before any request";
  EXPECT_EQ(client.LastError(), Text()) << "the failed body read is hidden by the stream's calls";

  Text url("http://127.0.0.1:" + std::to_string(platform::testing::UnusedLoopbackPort()) + "/");
  client.Open(std::nullopt, url);
  client.Send();
  EXPECT_FALSE(client.LastError().empty()) << "the refused connection";
  EXPECT_EQ(client.ResponseBodyUtf8(), Text());
  EXPECT_EQ(client.LastError(), Text());
}

}  // namespace
}  // namespace kelvaro
