// The request object driven the way the HTTP client drives it: created by ProgID, called by
// member name through the call boundary with code page 936 texts.
#include "platform/request/WinHttpRequest.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <future>
#include <string>
#include <vector>

#include "platform/automation/Automation.h"
#include "platform/request/WinHttpErrors.h"
#include "platform/request/tests/LoopbackHttpServer.h"
#include "platform/request/tests/RawServer.h"
#include "platform/request/tests/TestCertificate.h"

namespace kelvaro::platform::testing {
namespace {

const char kOkResponse[] = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok";

// The first line of a recorded request.
std::string RequestLine(const std::string& request) {
  return request.substr(0, request.find("\r\n"));
}

// The head of a recorded request without its request line, up to and including the empty line.
std::string HeaderLines(const std::string& request) {
  const std::size_t start = request.find("\r\n") + 2;
  return request.substr(start, request.find("\r\n\r\n") + 4 - start);
}

class WinHttpRequestTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { RegisterWinHttpRequestClass(); }

  void SetUp() override {
    CoInitialize();
    request_ = CreateObjectByProgId("WinHttp.WinHttpRequest.5.1");
    ASSERT_FALSE(request_.IsEmpty());
    // The tests' traffic stays on loopback whatever proxy the environment names; the proxy tests
    // choose their setting themselves.
    CallMethod(request_, "SetProxy", {1});
  }
  void TearDown() override {
    request_.Clear();
    CoUninitialize();
  }

  void Open(const Text& url, const char* method = "GET", std::optional<bool> async = {}) {
    CallMethod(request_, "Open", {method, url, async});
    ExpectSuccess();
  }
  void Send(Argument body = kOmitted) { CallMethod(request_, "Send", {body}); }
  // Open, Send and expect success.
  void Fetch(const Text& url) {
    Open(url);
    Send();
    ExpectSuccess();
  }

  static void ExpectSuccess() {
    EXPECT_EQ(LastCallOutcome(), CallOutcome::Success) << "raised " << LastCallException().code;
  }
  static void ExpectRaised(std::int32_t code) {
    EXPECT_EQ(LastCallOutcome(), CallOutcome::Exception);
    EXPECT_EQ(LastCallException().code, code);
  }

  ObjectRef request_;
};

// ---- Creation and state errors ----------------------------------------------------------------

TEST_F(WinHttpRequestTest, CreatedByItsProgIdInAnyLetterCase) {
  const ObjectRef other = CreateObjectByProgId("winhttp.winhttprequest.5.1");
  ASSERT_FALSE(other.IsEmpty());
  EXPECT_NE(other, request_);
  EXPECT_NE(other.As<WinHttpRequest>(), nullptr);
}

TEST_F(WinHttpRequestTest, CallsBeforeOpenRaiseInvalidStateAndYieldEmptyValues) {
  CallMethod(request_, "SetRequestHeader", {"Accept", "*/*"});
  ExpectRaised(winhttp::kIncorrectHandleState);
  Send();
  ExpectRaised(winhttp::kIncorrectHandleState);
  CallMethod(request_, "SetCredentials", {"u", "p", 0});
  ExpectRaised(winhttp::kIncorrectHandleState);
  EXPECT_FALSE(CallBool(request_, "WaitForResponse", {1}));
  ExpectRaised(winhttp::kIncorrectHandleState);
  EXPECT_EQ(GetInt32(request_, "Status"), 0);
  ExpectRaised(winhttp::kIncorrectHandleState);
}

TEST_F(WinHttpRequestTest, ResponseReadsBeforeSendRaiseInvalidState) {
  Open("http://127.0.0.1:1/");
  EXPECT_EQ(GetInt32(request_, "Status"), 0);
  ExpectRaised(winhttp::kIncorrectHandleState);
  EXPECT_EQ(GetText(request_, "StatusText"), Text());
  ExpectRaised(winhttp::kIncorrectHandleState);
  EXPECT_EQ(GetText(request_, "ResponseText"), Text());
  ExpectRaised(winhttp::kIncorrectHandleState);
  EXPECT_TRUE(GetVariant(request_, "ResponseBody").IsEmpty());
  ExpectRaised(winhttp::kIncorrectHandleState);
  EXPECT_TRUE(GetVariant(request_, "ResponseStream").IsEmpty());
  ExpectRaised(winhttp::kIncorrectHandleState);
  EXPECT_EQ(CallText(request_, "GetResponseHeader", {"Server"}), Text());
  ExpectRaised(winhttp::kIncorrectHandleState);
  EXPECT_EQ(CallText(request_, "GetAllResponseHeaders"), Text());
  ExpectRaised(winhttp::kIncorrectHandleState);
  EXPECT_FALSE(CallBool(request_, "WaitForResponse", {0}));
  ExpectRaised(winhttp::kIncorrectHandleState);
}

TEST_F(WinHttpRequestTest, OpenRefusesWhatIsNoHttpRequest) {
  struct Case {
    const char* method;
    const char* url;
    std::int32_t error;
  };
  const Case cases[] = {
      {"GET", "ftp://example.com/", winhttp::kUnrecognisedScheme},
      {"GET", "example.com/path", winhttp::kUnrecognisedScheme},
      {"GET", "", winhttp::kUnrecognisedScheme},
      {"GET", "http://", winhttp::kInvalidUrl},
      {"GET", "http://host:99999/", winhttp::kInvalidUrl},
      {"GE T", "http://example.com/", winhttp::kInvalidParameter},
      {"GET\r\nX", "http://example.com/", winhttp::kInvalidParameter},
      {"", "http://example.com/", winhttp::kInvalidParameter},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.method) + " " + c.url);
    CallMethod(request_, "Open", {c.method, c.url});
    ExpectRaised(c.error);
    Send();  // a failed Open leaves nothing to send
    ExpectRaised(winhttp::kIncorrectHandleState);
  }
}

TEST_F(WinHttpRequestTest, ArgumentsOutOfRangeRaiseInvalidParameter) {
  Open("http://127.0.0.1:1/");
  const std::pair<const char*, ArgumentList> calls[] = {
      {"SetTimeouts", {0, -2, 0, 0}},    {"SetProxy", {3}},           {"SetProxy", {-1}},
      {"SetCredentials", {"u", "p", 2}}, {"SetAutoLogonPolicy", {3}}, {"WaitForResponse", {-2}},
  };
  for (const auto& [name, arguments] : calls) {
    SCOPED_TRACE(name);
    CallMethod(request_, name, arguments);
    ExpectRaised(winhttp::kInvalidParameter);
  }
  for (const auto& [name, arguments] : std::initializer_list<std::pair<const char*, ArgumentList>>{
           {"SetTimeouts", {-1, 0, 1, 100}},
           {"SetProxy", {2, "proxy:1", kOmitted}},
           {"SetCredentials", {"u", "p", 1}},
           {"SetAutoLogonPolicy", {2}},
           {"SetClientCertificate", {""}},
       }) {
    SCOPED_TRACE(name);
    CallMethod(request_, name, arguments);
    ExpectSuccess();
  }
}

// ---- The request on the wire ------------------------------------------------------------------

TEST_F(WinHttpRequestTest, SendsSetHeadersInOrderThenTheDefaultUserAgent) {
  RawServer server(AnswerWith(kOkResponse));
  Open(Text(server.Url("/path?x=1")));
  CallMethod(request_, "SetRequestHeader", {"Accept", "*/*"});
  CallMethod(request_, "SetRequestHeader", {"Accept-Language", "zh-cn"});
  CallMethod(request_, "SetRequestHeader", {"Referer", Text(server.Url("/path?x=1"))});
  CallMethod(request_, "SetRequestHeader", {"ACCEPT", "text/html"});  // replaces in place
  CallMethod(request_, "SetRequestHeader", {"X-Zero", 0});            // a number, as text
  CallMethod(request_, "SetRequestHeader", {"X-Gone", "soon"});
  CallMethod(request_, "SetRequestHeader", {"x-gone", ""});  // an empty value removes it
  ExpectSuccess();
  Send();
  ExpectSuccess();
  const std::string received = server.Recorded().at(0);
  EXPECT_EQ(RequestLine(received), "GET /path?x=1 HTTP/1.1");
  EXPECT_EQ(HeaderLines(received),
            "Host: 127.0.0.1:" + std::to_string(server.port()) +
                "\r\n"
                "Accept: text/html\r\n"
                "Accept-Language: zh-cn\r\n"
                "Referer: " +
                server.Url("/path?x=1") +
                "\r\n"
                "X-Zero: 0\r\n"
                "User-Agent: Mozilla/4.0 (compatible; Win32; WinHttp.WinHttpRequest.5)\r\n"
                "\r\n");
}

TEST_F(WinHttpRequestTest, HeadersThatWouldBreakTheRequestAreRefused) {
  RawServer server(AnswerWith(kOkResponse));
  Open(Text(server.Url("/")));
  struct Case {
    Text name;
    Text value;
  };
  const Case cases[] = {
      {"X-Split", "a\r\nX-Injected: 1"},
      {"X-Cr", "a\rb"},
      {"X-Lf", "a\nb"},
      {"X-Control", "a\x01"},
      {"X-Bad Name", "v"},
      {"X-Colon:", "v"},
      {"X-Injected: 1\r\nX-Other", "v"},
      {"", "v"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name.bytes()) + " / " + std::string(c.value.bytes()));
    CallMethod(request_, "SetRequestHeader", {c.name, c.value});
    ExpectRaised(winhttp::kInvalidHeader);
  }
  // A NUL cannot travel inside a Text; it can inside the UTF-16 string of a Variant.
  CallMethod(request_, "SetRequestHeader",
             {"X-Nul", Variant(std::u16string(u"a\0X-Injected: 1", 15))});
  ExpectRaised(winhttp::kInvalidHeader);
  Send();
  ExpectSuccess();
  const std::string received = server.Recorded().at(0);
  EXPECT_EQ(received.find("Injected"), std::string::npos);
  EXPECT_EQ(received.find("X-Split"), std::string::npos);
}

TEST_F(WinHttpRequestTest, UrlIsConvertedToUtf8AndEscaped) {
  RawServer server(AnswerWith(kOkResponse));
  struct Case {
    const char* name;
    std::string pathAndQuery;  // code page 936 bytes, as the system holds its texts
    const char* requestLine;
  };
  const Case cases[] = {
      // "中 国" with a space, and "国" in the query
      {"chinese and space", "/\xD6\xD0 \xB9\xFA?q=\xB9\xFA",
       "GET /%E4%B8%AD%20%E5%9B%BD?q=%E5%9B%BD HTTP/1.1"},
      {"cr lf", "/a\r\nX-Injected: 1", "GET /a%0D%0AX-Injected:%201 HTTP/1.1"},
      {"percent kept", "/%41%?a=%7e+b", "GET /%41%?a=%7e+b HTTP/1.1"},
      {"fragment not sent", "/a?b=c#d e\r\n", "GET /a?b=c HTTP/1.1"},
      {"quotes and angles", "/\"<>\"", "GET /%22%3C%3E%22 HTTP/1.1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Fetch(Text("http://127.0.0.1:" + std::to_string(server.port()) + c.pathAndQuery));
    const auto recorded = server.Recorded();
    EXPECT_EQ(RequestLine(recorded.back()), c.requestLine);
    EXPECT_EQ(recorded.back().find("\r\nX-Injected"), std::string::npos);
  }
}

TEST_F(WinHttpRequestTest, UrlOptionsChangeTheConversionAndEscaping) {
  RawServer server(AnswerWith(kOkResponse));
  const std::string base = "http://127.0.0.1:" + std::to_string(server.port());
  struct Case {
    const char* name;
    int option;
    Variant value;
    std::string pathAndQuery;
    std::string requestLine;
  };
  const Case cases[] = {
      // "中" in code page 936 goes out as its GBK bytes
      {"code page 936", 2, Variant(936), "/\xD6\xD0", "GET /%D6%D0 HTTP/1.1"},
      {"escape percent", 3, Variant(true), "/%41?p=5%", "GET /%2541?p=5%25 HTTP/1.1"},
      // libcurl itself escapes bytes above 0x7F in the path (in lower-case hex), not in the query
      {"escaping off", 7, Variant(true), "/\xD6\xD0 x\"?q=\"\xD6\xD0",
       "GET /%e4%b8%ad%20x\"?q=\"\xE4\xB8\xAD HTTP/1.1"},
      {"query escaping off", 8, Variant(true), "/\xD6\xD0?q=\xD6\xD0",
       "GET /%E4%B8%AD?q=\xE4\xB8\xAD HTTP/1.1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ObjectRef request = CreateObjectByProgId(kWinHttpRequestProgId);
    CallMethod(request, "SetProxy", {1});
    PutProperty(request, "Option", {c.option}, c.value);
    ExpectSuccess();
    CallMethod(request, "Open", {"GET", Text(base + c.pathAndQuery)});
    CallMethod(request, "Send");
    ExpectSuccess();
    EXPECT_EQ(RequestLine(server.Recorded().back()), c.requestLine);
  }
}

TEST_F(WinHttpRequestTest, BodyIsSentAsUtf8TextOrAsBytes) {
  RawServer server(AnswerWith(kOkResponse));
  struct Case {
    const char* name;
    Argument body;
    std::string sent;
  };
  const Case cases[] = {
      {"text", Text("a=\xD6\xD0&b=1"), "a=\xE4\xB8\xAD&b=1"},  // "中"
      {"bytes", Variant(Bytes{0x00, 0xFF, 0x0D, 0x0A}), std::string("\0\xFF\r\n", 4)},
      {"number", 42, "42"},
      {"nothing", kOmitted, ""},
      {"empty variant", Variant(), ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Open(Text(server.Url("/form")), "POST");
    Send(c.body);
    ExpectSuccess();
    const std::string received = server.Recorded().back();
    EXPECT_NE(received.find("\r\nContent-Length: " + std::to_string(c.sent.size()) + "\r\n"),
              std::string::npos);
    EXPECT_EQ(received.substr(received.find("\r\n\r\n") + 4), c.sent);
    EXPECT_EQ(received.find("Content-Type"), std::string::npos);
  }
  Open(Text(server.Url("/form")), "POST");
  Send(Variant(ObjectRef(request_)));
  EXPECT_EQ(LastCallOutcome(), CallOutcome::TypeMismatch);
}

TEST_F(WinHttpRequestTest, UserAgentOptionAndHttpVersionOptionShowOnTheWire) {
  RawServer server(AnswerWith("HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nok"));
  PutProperty(request_, "Option", {0}, Text("Kelvaro/1.0"));
  PutProperty(request_, "Option", {17}, false);
  ExpectSuccess();
  Fetch(Text(server.Url("/")));
  const std::string received = server.Recorded().at(0);
  EXPECT_EQ(RequestLine(received), "GET / HTTP/1.0");
  EXPECT_NE(received.find("\r\nUser-Agent: Kelvaro/1.0\r\n"), std::string::npos);
  // A User-Agent header of the request wins over the option.
  Open(Text(server.Url("/")));
  CallMethod(request_, "SetRequestHeader", {"User-Agent", "Header/2.0"});
  Send();
  ExpectSuccess();
  EXPECT_NE(server.Recorded().at(1).find("\r\nUser-Agent: Header/2.0\r\n"), std::string::npos);
  EXPECT_EQ(server.Recorded().at(1).find("Kelvaro"), std::string::npos);
}

// ---- The response -----------------------------------------------------------------------------

TEST_F(WinHttpRequestTest, ResponseMembersReadTheFinalResponse) {
  // "中国" in UTF-8 as the body; a GBK cookie value in a header.
  RawServer server(AnswerWith(
      "HTTP/1.1 404 Not Found\r\nContent-Type: text/plain\r\nSet-Cookie: sid=ab12; path=/\r\n"
      "X-Name: \xD6\xD0\r\nContent-Length: 6\r\n\r\n\xE4\xB8\xAD\xE5\x9B\xBD"));
  Fetch(Text(server.Url("/")));
  EXPECT_EQ(GetInt32(request_, "Status"), 404);
  EXPECT_EQ(GetText(request_, "StatusText"), Text("Not Found"));
  EXPECT_EQ(GetText(request_, "ResponseText"), Text("\xD6\xD0\xB9\xFA"));
  EXPECT_EQ(GetBytes(request_, "ResponseBody"), (Bytes{0xE4, 0xB8, 0xAD, 0xE5, 0x9B, 0xBD}));
  EXPECT_EQ(CallText(request_, "GetResponseHeader", {"set-cookie"}), Text("sid=ab12; path=/"));
  EXPECT_EQ(CallText(request_, "GetResponseHeader", {"X-NAME"}), Text("\xD6\xD0"));
  EXPECT_EQ(CallText(request_, "GetAllResponseHeaders"),
            Text("Content-Type: text/plain\r\nSet-Cookie: sid=ab12; path=/\r\nX-Name: \xD6\xD0\r\n"
                 "Content-Length: 6\r\n"));
  ExpectSuccess();
  EXPECT_EQ(CallText(request_, "GetResponseHeader", {"Location"}), Text());
  ExpectRaised(winhttp::kHeaderNotFound);
}

TEST_F(WinHttpRequestTest, ResponseTextFollowsTheCharsetOfContentType) {
  struct Case {
    const char* name;
    std::string contentType;
    std::string body;
    Text text;  // as the system reads it, in code page 936
  };
  const Case cases[] = {
      {"no charset: UTF-8", "text/html", "\xE4\xB8\xAD", Text("\xD6\xD0")},
      {"gb2312 label means GBK", "text/html; charset=gb2312", "\xD6\xD0\x95\x41",
       Text("\xD6\xD0\x95\x41")},  // 0x9541 lies outside GB2312 but inside GBK
      {"quoted charset", "text/plain; charset=\"GBK\"", "\xB9\xFA", Text("\xB9\xFA")},
      // "é" is in code page 936 too, as 0xA8A6
      {"latin-1", "text/plain;charset=ISO-8859-1", "caf\xE9", Text("caf\xA8\xA6")},
      {"unknown charset: UTF-8", "text/plain; charset=no-such", "\xE5\x9B\xBD", Text("\xB9\xFA")},
      {"byte order mark wins", "text/plain; charset=gbk", "\xEF\xBB\xBF\xE4\xB8\xAD",
       Text("\xD6\xD0")},
      {"UTF-16LE mark", "text/plain", std::string("\xFF\xFE\x2D\x4E", 4), Text("\xD6\xD0")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RawServer server(AnswerWith("HTTP/1.1 200 OK\r\nContent-Type: " + c.contentType +
                                "\r\nContent-Length: " + std::to_string(c.body.size()) +
                                "\r\n\r\n" + c.body));
    Fetch(Text(server.Url("/")));
    EXPECT_EQ(GetText(request_, "ResponseText"), c.text);
  }
}

TEST_F(WinHttpRequestTest, ResponseBodyIsEmptyValueForNoBodyAndKeepsZeroBytes) {
  RawServer empty(AnswerWith("HTTP/1.1 204 No Content\r\n\r\n"));
  Fetch(Text(empty.Url("/")));
  const Variant none = GetVariant(request_, "ResponseBody");
  ExpectSuccess();
  EXPECT_TRUE(none.IsEmpty());
  EXPECT_EQ(GetText(request_, "ResponseText"), Text());

  RawServer binary(
      AnswerWith(std::string("HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nab\0c", 42)));
  Fetch(Text(binary.Url("/")));
  EXPECT_EQ(GetVariant(request_, "ResponseBody"), Variant(Bytes{'a', 'b', 0, 'c'}));
}

TEST_F(WinHttpRequestTest, ResponseStreamReadsACopyOfTheBody) {
  RawServer server(AnswerWith("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello"));
  Fetch(Text(server.Url("/")));
  const Variant held = GetVariant(request_, "ResponseStream");
  ExpectSuccess();
  ASSERT_EQ(held.kind(), VariantKind::Object);
  const ObjectRef stream = GetObjectRef(request_, "ResponseStream");
  ASSERT_FALSE(stream.IsEmpty());
  EXPECT_EQ(GetInt32(stream, "Size"), 5);
  EXPECT_EQ(CallVariant(stream, "Read", {2}), Variant(Bytes{'h', 'e'}));
  EXPECT_EQ(GetInt32(stream, "Position"), 2);
  EXPECT_FALSE(GetBool(stream, "EOS"));
  EXPECT_EQ(CallVariant(stream, "Read"), Variant(Bytes{'l', 'l', 'o'}));
  EXPECT_TRUE(GetBool(stream, "EOS"));
  EXPECT_TRUE(CallVariant(stream, "Read", {1}).IsEmpty());
  PutProperty(stream, "Position", 6);
  ExpectRaised(winhttp::kInvalidParameter);
  PutProperty(stream, "Position", 4);
  EXPECT_EQ(CallVariant(stream, "Read", {10}), Variant(Bytes{'o'}));
  // A later request leaves the stream as it was.
  Open(Text(server.Url("/")));
  EXPECT_EQ(GetInt32(stream, "Size"), 5);
}

// ---- Redirects and options --------------------------------------------------------------------

class WinHttpRequestRedirectTest : public WinHttpRequestTest {
 protected:
  LoopbackHttpServer server_{[](httplib::Server& s) {
    s.Get("/one", [](const httplib::Request&, httplib::Response& response) {
      response.set_header("X-Hop", "one");
      response.set_redirect("/two", 302);
    });
    s.Get("/two", [](const httplib::Request&, httplib::Response& response) {
      response.set_redirect("/final", 301);
    });
    s.Get("/final", [](const httplib::Request&, httplib::Response& response) {
      response.set_header("X-Final", "1");
      response.set_content("arrived", "text/plain");
    });
  }};
};

TEST_F(WinHttpRequestRedirectTest, FollowedByDefaultWithOnlyTheFinalHeaders) {
  Fetch(Text(server_.Url("/one")));
  EXPECT_EQ(GetInt32(request_, "Status"), 200);
  EXPECT_EQ(GetText(request_, "ResponseText"), Text("arrived"));
  const Text headers = CallText(request_, "GetAllResponseHeaders");
  EXPECT_NE(headers.bytes().find("X-Final: 1\r\n"), std::string::npos);
  EXPECT_EQ(headers.bytes().find("X-Hop"), std::string::npos);
  EXPECT_EQ(GetText(request_, "Option", {1}), Text(server_.Url("/final")));
}

TEST_F(WinHttpRequestRedirectTest, OptionSixSwitchesRedirectsOff) {
  PutProperty(request_, "Option", {6}, false);
  Fetch(Text(server_.Url("/one")));
  EXPECT_EQ(GetInt32(request_, "Status"), 302);
  EXPECT_EQ(CallText(request_, "GetResponseHeader", {"Location"}), Text("/two"));
  PutProperty(request_, "Option", {6}, true);
  Fetch(Text(server_.Url("/one")));
  EXPECT_EQ(GetInt32(request_, "Status"), 200);
}

TEST_F(WinHttpRequestRedirectTest, OptionFourteenLimitsTheChain) {
  PutProperty(request_, "Option", {14}, 1);
  Open(Text(server_.Url("/one")));
  Send();
  ExpectRaised(winhttp::kRedirectFailed);
  PutProperty(request_, "Option", {14}, 2);
  Fetch(Text(server_.Url("/one")));
  EXPECT_EQ(GetInt32(request_, "Status"), 200);
}

TEST_F(WinHttpRequestTest, OptionsReadTheirDefaults) {
  const std::pair<int, Variant> defaults[] = {
      {0, Variant(u"Mozilla/4.0 (compatible; Win32; WinHttp.WinHttpRequest.5)")},
      {1, Variant(u"")},
      {2, Variant(65001)},
      {3, Variant(false)},
      {4, Variant(0)},
      {5, Variant(true)},
      {6, Variant(true)},
      {7, Variant(false)},
      {8, Variant(false)},
      {9, Variant(0x2A80)},
      {10, Variant(false)},
      {11, Variant(true)},
      {12, Variant(false)},
      {13, Variant(false)},
      {14, Variant(10)},
      {15, Variant(65536)},
      {16, Variant(1048576)},
      {17, Variant(true)},
      {18, Variant(false)},
  };
  for (const auto& [index, value] : defaults) {
    SCOPED_TRACE(index);
    EXPECT_EQ(GetVariant(request_, "Option", {index}), value);
    ExpectSuccess();
  }
}

TEST_F(WinHttpRequestTest, OptionsWriteAndReadBack) {
  const std::pair<int, Argument> writes[] = {
      {0, "Agent"}, {2, 936},  {3, true},   {4, 0x3300}, {5, false},  {6, false},
      {7, true},    {8, true}, {9, 0x0800}, {10, true},  {11, false}, {12, true},
      {13, true},   {14, 0},   {15, 1024},  {16, 4096},  {17, false}, {18, true},
  };
  const std::pair<int, Variant> expected[] = {
      {0, Variant(u"Agent")}, {2, Variant(936)},   {3, Variant(true)},   {4, Variant(0x3300)},
      {5, Variant(false)},    {6, Variant(false)}, {7, Variant(true)},   {8, Variant(true)},
      {9, Variant(0x0800)},   {10, Variant(true)}, {11, Variant(false)}, {12, Variant(true)},
      {13, Variant(true)},    {14, Variant(0)},    {15, Variant(1024)},  {16, Variant(4096)},
      {17, Variant(false)},   {18, Variant(true)},
  };
  for (const auto& [index, value] : writes) {
    SCOPED_TRACE(index);
    PutProperty(request_, "Option", {index}, value);
    ExpectSuccess();
  }
  for (const auto& [index, value] : expected) {
    SCOPED_TRACE(index);
    EXPECT_EQ(GetVariant(request_, "Option", {index}), value);
  }
  // Numbers and texts convert to the option's kind.
  PutProperty(request_, "Option", {6}, Text("True"));
  EXPECT_EQ(GetVariant(request_, "Option", {6}), Variant(true));
  PutProperty(request_, "Option", {14}, Text("7"));
  EXPECT_EQ(GetVariant(request_, "Option", {14}), Variant(7));
}

TEST_F(WinHttpRequestTest, OptionsRefuseUnknownIndexesReadOnlyUrlAndBadValues) {
  EXPECT_TRUE(GetVariant(request_, "Option", {19}).IsEmpty());
  ExpectRaised(winhttp::kInvalidParameter);
  EXPECT_TRUE(GetVariant(request_, "Option", {-1}).IsEmpty());
  ExpectRaised(winhttp::kInvalidParameter);
  const std::pair<int, Argument> refused[] = {
      {19, 1},       {1, "http://example.com/"},
      {2, 123456},   {4, 0x0001},
      {9, 0x0001},   {14, -1},
      {15, 0},       {16, -5},
      {0, "a\r\nb"},
  };
  for (const auto& [index, value] : refused) {
    SCOPED_TRACE(index);
    PutProperty(request_, "Option", {index}, value);
    ExpectRaised(winhttp::kInvalidParameter);
  }
  PutProperty(request_, "Option", {6}, Text("maybe"));
  EXPECT_EQ(LastCallOutcome(), CallOutcome::TypeMismatch);
  EXPECT_EQ(GetVariant(request_, "Option", {6}), Variant(true));  // unchanged
  EXPECT_EQ(GetVariant(request_, "Option", {2}), Variant(65001));
}

TEST_F(WinHttpRequestTest, OptionOneShowsTheUrlOfOpen) {
  Open("http://Example.com/a b#frag");
  EXPECT_EQ(GetText(request_, "Option", {1}), Text("http://example.com/a%20b"));
}

TEST_F(WinHttpRequestTest, HeaderSizeOptionCapsTheHeaderSection) {
  RawServer server(AnswerWith("HTTP/1.1 200 OK\r\nX-Pad: " + std::string(2000, 'p') +
                              "\r\nContent-Length: 0\r\n\r\n"));
  PutProperty(request_, "Option", {15}, 1024);
  Open(Text(server.Url("/")));
  Send();
  ExpectRaised(winhttp::kHeaderSizeOverflow);
  PutProperty(request_, "Option", {15}, 4096);
  Fetch(Text(server.Url("/")));
  EXPECT_EQ(GetInt32(request_, "Status"), 200);
}

// ---- Failures ---------------------------------------------------------------------------------

TEST_F(WinHttpRequestTest, NetworkFailuresRaiseTheirNumbers) {
  const int refusedPort = UnusedLoopbackPort();
  Open(Text("http://127.0.0.1:" + std::to_string(refusedPort) + "/"));
  Send();
  ExpectRaised(winhttp::kCannotConnect);
  EXPECT_EQ(GetInt32(request_, "Status"), 0);
  ExpectRaised(winhttp::kIncorrectHandleState);

  RawServer reset([](int socket, RawServer&) {
    ReadRequest(socket);
    WriteAll(socket, "HTTP/1.1 200 OK\r\nContent-Length: 50000\r\n\r\n" + std::string(500, 'r'));
    ResetConnection(socket);
  });
  Open(Text(reset.Url("/")));
  Send();
  ExpectRaised(winhttp::kConnectionError);
}

TEST_F(WinHttpRequestTest, SetTimeoutsInMillisecondsEndsAStalledAnswer) {
  RawServer server([](int socket, RawServer& s) {
    ReadRequest(socket);
    s.WaitUntilStopping();
  });
  CallMethod(request_, "SetTimeouts", {0, 0, 0, 150});
  Open(Text(server.Url("/")));
  Send();
  ExpectRaised(winhttp::kTimeout);
}

TEST_F(WinHttpRequestTest, BodyPastSixtyFourMebibytesFailsTheRequest) {
  // Chunked, so that nothing announces the size and only the cap stops the reading.
  RawServer server([](int socket, RawServer&) {
    ReadRequest(socket);
    WriteAll(socket, "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n");
    const std::string chunk = "100000\r\n" + std::string(0x100000, 'z') + "\r\n";
    for (int i = 0; i < 65; ++i) {
      if (!WriteAll(socket, chunk)) return;
    }
    WriteAll(socket, "0\r\n\r\n");
  });
  Open(Text(server.Url("/")));
  Send();
  ExpectRaised(winhttp::kResponseOverflow);
  EXPECT_TRUE(GetVariant(request_, "ResponseBody").IsEmpty());
}

TEST_F(WinHttpRequestTest, CredentialsAnswerTheServersChallenge) {
  LoopbackHttpServer server([](httplib::Server& s) {
    s.Get("/private", [](const httplib::Request& request, httplib::Response& response) {
      if (request.get_header_value("Authorization") == "Basic dXNlcjpwYXNz") {  // user:pass
        response.set_content("inside", "text/plain");
      } else {
        response.status = 401;
        response.set_header("WWW-Authenticate", "Basic realm=\"kelvaro\"");
      }
    });
  });
  Fetch(Text(server.Url("/private")));
  EXPECT_EQ(GetInt32(request_, "Status"), 401);
  Open(Text(server.Url("/private")));
  CallMethod(request_, "SetCredentials", {"user", "pass", 0});
  Send();
  ExpectSuccess();
  EXPECT_EQ(GetInt32(request_, "Status"), 200);
  // Open forgets the credentials.
  Fetch(Text(server.Url("/private")));
  EXPECT_EQ(GetInt32(request_, "Status"), 401);
}

// ---- Connections kept between requests --------------------------------------------------------

// Answers the requests of one connection in turn for as long as the client keeps it, as a server
// that keeps connections alive does.
void AnswerEveryRequest(int socket, RawServer& server) {
  for (;;) {
    std::string request = ReadRequest(socket);
    if (request.empty()) return;
    server.Record(std::move(request));
    if (!WriteAll(socket, kOkResponse)) return;
  }
}

TEST_F(WinHttpRequestTest, LaterRequestsReuseTheConnectionTheServerKeptOpen) {
  RawServer server(AnswerEveryRequest);
  Fetch(Text(server.Url("/one")));
  Fetch(Text(server.Url("/two")));
  Open(Text(server.Url("/three")), "POST");
  Send(Text("body"));
  ExpectSuccess();
  EXPECT_EQ(GetText(request_, "ResponseText"), Text("ok"));
  const std::vector<std::string> requests = server.WaitForRecords(3);
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(RequestLine(requests[2]), "POST /three HTTP/1.1");
  EXPECT_EQ(server.Accepted(), 1);
}

TEST_F(WinHttpRequestTest, ConnectionTheServerClosedIsReplacedByANewOne) {
  const struct {
    const char* label;
    // false: the server closes the connection right after its answer, while the client keeps it;
    // true: it closes only once the next request has arrived on it, without answering it.
    bool closesOnTheNextRequest;
  } cases[] = {{"closed while kept", false}, {"closed under the next request", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    std::atomic<int> connections = 0;
    RawServer server([&](int socket, RawServer& s) {
      const bool first = connections++ == 0;
      s.Record(ReadRequest(socket));
      WriteAll(socket, kOkResponse);
      if (first && c.closesOnTheNextRequest) ReadRequestHead(socket);
      if (!first) AnswerEveryRequest(socket, s);
    });
    Fetch(Text(server.Url("/one")));
    Fetch(Text(server.Url("/two")));
    EXPECT_EQ(GetInt32(request_, "Status"), 200);
    EXPECT_EQ(GetText(request_, "ResponseText"), Text("ok"));
    const std::vector<std::string> requests = server.WaitForRecords(2);
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(RequestLine(requests[1]), "GET /two HTTP/1.1");
    EXPECT_EQ(server.Accepted(), 2);
  }
}

TEST_F(WinHttpRequestTest, FailedRequestLeavesNoConnectionBehind) {
  // The first answer breaks off inside its body: that connection must not carry the next request.
  std::atomic<int> connections = 0;
  RawServer server([&](int socket, RawServer& s) {
    if (connections++ == 0) {
      s.Record(ReadRequest(socket));
      WriteAll(socket, "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nabc");
      ResetConnection(socket);
      return;
    }
    AnswerEveryRequest(socket, s);
  });
  Open(Text(server.Url("/broken")));
  Send();
  ExpectRaised(winhttp::kConnectionError);
  Fetch(Text(server.Url("/next")));
  EXPECT_EQ(GetText(request_, "ResponseText"), Text("ok"));
  EXPECT_EQ(server.Accepted(), 2);
}

// ---- Asynchronous requests --------------------------------------------------------------------

class WinHttpRequestAsyncTest : public WinHttpRequestTest {
 protected:
  ~WinHttpRequestAsyncTest() override {
    if (!releasedYet_) Release();  // lets the server's handlers end
  }
  void Release() {
    releasedYet_ = true;
    release_.set_value();
  }
  // Lets the request move until the server has received `count` requests.
  void DriveUntilRecorded(std::size_t count) {
    for (int i = 0; i < 500 && server_.Recorded().size() < count; ++i) {
      CallBool(request_, "WaitForResponse", {0.01});
    }
    ASSERT_EQ(server_.Recorded().size(), count);
  }

  std::promise<void> release_;
  std::shared_future<void> released_ = release_.get_future().share();
  bool releasedYet_ = false;
  // Answers each request only once the test releases it.
  RawServer server_{[this](int socket, RawServer& s) {
    s.Record(ReadRequest(socket));
    released_.wait();
    WriteAll(socket, kOkResponse);
  }};
};

TEST_F(WinHttpRequestAsyncTest, SendReturnsAtOnceAndWaitForResponseReportsCompletion) {
  Open(Text(server_.Url("/")), "GET", true);
  Send();
  ExpectSuccess();
  EXPECT_FALSE(CallBool(request_, "WaitForResponse", {0.05}));
  ExpectSuccess();
  DriveUntilRecorded(1);
  EXPECT_EQ(GetInt32(request_, "Status"), 0);
  ExpectRaised(winhttp::kPending);
  CallMethod(request_, "Send");
  ExpectRaised(winhttp::kIncorrectHandleState);
  Release();
  EXPECT_TRUE(CallBool(request_, "WaitForResponse"));
  ExpectSuccess();
  EXPECT_EQ(GetInt32(request_, "Status"), 200);
  EXPECT_EQ(GetText(request_, "ResponseText"), Text("ok"));
  EXPECT_TRUE(CallBool(request_, "WaitForResponse", {0}));
}

TEST_F(WinHttpRequestAsyncTest, AbortCancelsAndTheRequestCanBeSentAgain) {
  Open(Text(server_.Url("/")), "GET", true);
  Send();
  DriveUntilRecorded(1);
  CallMethod(request_, "Abort");
  ExpectSuccess();
  EXPECT_EQ(GetInt32(request_, "Status"), 0);
  ExpectRaised(winhttp::kIncorrectHandleState);
  Release();
  Send();
  ExpectSuccess();
  EXPECT_TRUE(CallBool(request_, "WaitForResponse", {-1}));
  EXPECT_EQ(GetInt32(request_, "Status"), 200);
  EXPECT_EQ(server_.Accepted(), 2);
}

TEST_F(WinHttpRequestTest, AsynchronousFailureIsRaisedByWaitForResponse) {
  Open(Text("http://127.0.0.1:" + std::to_string(UnusedLoopbackPort()) + "/"), "GET", true);
  Send();
  ExpectSuccess();
  EXPECT_FALSE(CallBool(request_, "WaitForResponse", {5}));
  ExpectRaised(winhttp::kCannotConnect);
  EXPECT_FALSE(CallBool(request_, "WaitForResponse", {5}));
  ExpectRaised(winhttp::kIncorrectHandleState);
}

// ---- HTTPS ------------------------------------------------------------------------------------

class WinHttpRequestTlsTest : public WinHttpRequestTest {
 protected:
  TestCertificate certificate_{"IP:127.0.0.1"};
  LoopbackHttpServer plain_{[](httplib::Server& s) {
    s.Get("/plain", [](const httplib::Request&, httplib::Response& response) {
      response.set_content("plain", "text/plain");
    });
  }};
  LoopbackHttpServer secure_{
      certificate_.certificateFile(), certificate_.keyFile(), [this](httplib::Server& s) {
        s.Get("/hello", [](const httplib::Request&, httplib::Response& response) {
          response.set_content("secure", "text/plain");
        });
        const std::string downgrade = plain_.Url("/plain");
        s.Get("/down", [downgrade](const httplib::Request&, httplib::Response& response) {
          response.set_redirect(downgrade, 302);
        });
      }};
};

TEST_F(WinHttpRequestTlsTest, UntrustedCertificateFailsUnlessItsErrorsAreIgnored) {
  TestCertificate otherName("DNS:localhost");
  LoopbackHttpServer misnamed(otherName.certificateFile(), otherName.keyFile(),
                              [](httplib::Server& s) {
                                s.Get("/hello", [](const httplib::Request&, httplib::Response& r) {
                                  r.set_content("misnamed", "text/plain");
                                });
                              });
  struct Case {
    const char* name;
    const LoopbackHttpServer* server;
    std::int32_t ignoreFlags;
    std::int32_t error;
  };
  const Case cases[] = {
      {"unknown authority", &secure_, 0, winhttp::kSecureFailure},
      {"unknown authority ignored", &secure_, 0x0100, 0},
      {"all ignored", &secure_, 0x3300, 0},
      {"wrong name, authority ignored", &misnamed, 0x0100, winhttp::kSecureFailure},
      {"wrong name ignored too", &misnamed, 0x2100, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PutProperty(request_, "Option", {4}, c.ignoreFlags);
    Open(Text(c.server->Url("/hello")));
    Send();
    if (c.error == 0) {
      ExpectSuccess();
      EXPECT_EQ(GetInt32(request_, "Status"), 200);
    } else {
      ExpectRaised(c.error);
    }
  }
}

TEST_F(WinHttpRequestTlsTest, RedirectFromHttpsToHttpIsFollowedOnlyWhenEnabled) {
  PutProperty(request_, "Option", {4}, 0x3300);
  Fetch(Text(secure_.Url("/down")));
  EXPECT_EQ(GetInt32(request_, "Status"), 302);
  EXPECT_EQ(CallText(request_, "GetResponseHeader", {"Location"}), Text(plain_.Url("/plain")));
  PutProperty(request_, "Option", {12}, true);
  Fetch(Text(secure_.Url("/down")));
  EXPECT_EQ(GetInt32(request_, "Status"), 200);
  EXPECT_EQ(GetText(request_, "ResponseText"), Text("plain"));
}

TEST_F(WinHttpRequestTlsTest, SecureProtocolsWithoutTlsFailEveryHttpsRequest) {
  PutProperty(request_, "Option", {4}, 0x3300);
  PutProperty(request_, "Option", {9}, 0x0008 | 0x0020);  // SSL 2 and 3 only
  Open(Text(secure_.Url("/hello")));
  Send();
  ExpectRaised(winhttp::kSecureFailure);
  PutProperty(request_, "Option", {9}, 0x0800 | 0x2000);
  Fetch(Text(secure_.Url("/hello")));
  EXPECT_EQ(GetText(request_, "ResponseText"), Text("secure"));
}

TEST_F(WinHttpRequestTlsTest, ClientCertificateIsAPemFile) {
  PutProperty(request_, "Option", {4}, 0x3300);
  CallMethod(request_, "SetClientCertificate", {Text(certificate_.combinedFile())});
  Fetch(Text(secure_.Url("/hello")));
  EXPECT_EQ(GetInt32(request_, "Status"), 200);
  CallMethod(request_, "SetClientCertificate", {"/nonexistent/kelvaro-client.pem"});
  Open(Text(secure_.Url("/hello")));
  Send();
  ExpectRaised(winhttp::kClientCertificateNeeded);
}

// ---- Proxies ----------------------------------------------------------------------------------

class WinHttpRequestProxyTest : public WinHttpRequestTest {
 protected:
  void TearDown() override {
    unsetenv("http_proxy");
    unsetenv("HTTP_PROXY");
    WinHttpRequestTest::TearDown();
  }
  std::string ProxyAddress() const { return "127.0.0.1:" + std::to_string(proxy_.port()); }

  RawServer proxy_{AnswerWith("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nproxy")};
  RawServer origin_{AnswerWith("HTTP/1.1 200 OK\r\nContent-Length: 6\r\n\r\norigin")};
};

TEST_F(WinHttpRequestProxyTest, NamedProxyReceivesTheAbsoluteForm) {
  CallMethod(request_, "SetProxy", {2, Text(ProxyAddress()), ""});
  Fetch("http://lookup.kelvaro.invalid/api/baseInfo?mobile=13800138000");
  EXPECT_EQ(GetText(request_, "ResponseText"), Text("proxy"));
  EXPECT_EQ(RequestLine(proxy_.Recorded().at(0)),
            "GET http://lookup.kelvaro.invalid/api/baseInfo?mobile=13800138000 HTTP/1.1");
}

TEST_F(WinHttpRequestProxyTest, HttpProxyVariableIsHonouredOnlyBySettingZero) {
  setenv("http_proxy", ("http://" + ProxyAddress()).c_str(), 1);
  CallMethod(request_, "SetProxy", {0});
  Fetch(Text(origin_.Url("/x")));
  EXPECT_EQ(GetText(request_, "ResponseText"), Text("proxy"));
  EXPECT_EQ(RequestLine(proxy_.Recorded().at(0)), "GET " + origin_.Url("/x") + " HTTP/1.1");

  CallMethod(request_, "SetProxy", {1});
  Fetch(Text(origin_.Url("/x")));
  EXPECT_EQ(GetText(request_, "ResponseText"), Text("origin"));
  EXPECT_EQ(proxy_.Accepted(), 1);
}

}  // namespace
}  // namespace kelvaro::platform::testing
