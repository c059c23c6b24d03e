// HttpClient's request path, header operations and settings, observed through a recording
// request object: the exact component calls, their order and their arguments.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "http/HttpClient.h"
#include "http/tests/RecordingRequest.h"
#include "platform/automation/Automation.h"

namespace kelvaro {
namespace {

using testing::RecordingRequest;
using Calls = std::vector<std::string>;

const std::string kUserAgent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";

std::string Header(const std::string& name, const std::string& value) {
  return "SetRequestHeader(" + name + "," + value + ")";
}

Calls DefaultHeaders(const std::string& referer) {
  return {Header("Accept", "*/*"), Header("Accept-Language", "zh-cn"), Header("Referer", referer),
          Header("User-Agent", kUserAgent)};
}

Calls Concat(std::initializer_list<Calls> parts) {
  Calls all;
  for (const Calls& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// A client holding a fresh recording request object.
struct Rig {
  Rig() {
    auto [object, reference] = RecordingRequest::Make();
    recorder_ = object;
    client_.SetObject(reference);
  }

  void Open(const char* method, std::string url, std::optional<bool> async = std::nullopt) {
    Text urlText(url);
    client_.Open(method == nullptr ? std::nullopt : std::optional<Text>(method), urlText, async);
  }

  HttpClient client_;
  std::shared_ptr<RecordingRequest> recorder_;
};

class HttpClientRequestTest : public ::testing::Test, public Rig {};

TEST_F(HttpClientRequestTest, RequestSequences) {
  const std::string url = "http://h.test/p?q=1";
  const struct {
    const char* label;
    std::function<void(Rig&)> act;
    Calls expected;
  } cases[] = {
      {"GET: Open, then the four defaults in order, then Send",
       [&](auto& t) {
         t.Open(nullptr, url);
         t.client_.Send();
       },
       Concat({{"Open(GET," + url + ",false)"}, DefaultHeaders(url), {"Send(-)"}})},
      {"POST in lower case: method passed as written, Content-Type after User-Agent",
       [&](auto& t) {
         t.Open("post", url);
         t.client_.Send(Text("a=1"));
       },
       Concat({{"Open(post," + url + ",false)"}, DefaultHeaders(url),
               {Header("Content-Type", "application/x-www-form-urlencoded"), "Send(a=1)"}})},
      {"asynchronous flag given",
       [&](auto& t) { t.Open("GET", url, true); }, {"Open(GET," + url + ",true)"}},
      {"a second Send after the same Open emits no defaults",
       [&](auto& t) {
         t.Open("GET", url);
         t.client_.Send();
         t.recorder_->ClearCalls();
         t.client_.Send();
       },
       {"Send(-)"}},
      {"a header set between Open and Send is not emitted again",
       [&](auto& t) {
         t.Open("GET", url);
         t.client_.SetRequestHeader("ACCEPT", "text/html");
         t.client_.Send();
       },
       {"Open(GET," + url + ",false)", Header("ACCEPT", "text/html"),
        Header("Accept-Language", "zh-cn"), Header("Referer", url),
        Header("User-Agent", kUserAgent), "Send(-)"}},
      {"a header set before Open is emitted again, Open clears the flags",
       [&](auto& t) {
         t.client_.SetRequestHeader("Accept", "text/html");
         t.Open("GET", url);
         t.client_.Send();
       },
       Concat({{Header("Accept", "text/html"), "Open(GET," + url + ",false)"},
               DefaultHeaders(url), {"Send(-)"}})},
      {"defaults off: no header of the client's own",
       [&](auto& t) {
         t.client_.SetDefaultsEnabled(false);
         t.Open("POST", url);
         t.client_.Send();
       },
       {"Open(POST," + url + ",false)", "Send(-)"}},
      {"Send on a fresh client before any Open: defaults with an empty Referer",
       [&](auto& t) { t.client_.Send(); }, Concat({DefaultHeaders(""), {"Send(-)"}})},
      {"SendBytes with a body wraps it in a variant",
       [&](auto& t) {
         t.Open("PUT", url);
         t.client_.SendBytes(Bytes{1, 0, 2});
       },
       Concat({{"Open(PUT," + url + ",false)"}, DefaultHeaders(url), {"Send(bytes[3])"}})},
      {"SendBytes with an empty body sends an empty array; without one, nothing",
       [&](auto& t) {
         t.client_.SetDefaultsEnabled(false);
         t.client_.SendBytes(Bytes{});
         t.client_.SendBytes();
       },
       {"Send(bytes[0])", "Send(-)"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    Rig fresh;
    c.act(fresh);
    EXPECT_EQ(fresh.recorder_->calls(), c.expected);
  }
}

TEST_F(HttpClientRequestTest, OpenCompletesTheSchemeAndWritesTheUrlBack) {
  const struct {
    std::string in;
    std::string out;
  } cases[] = {
      {"h.test/p", "http://h.test/p"},
      {"", "http://"},
      {"HTTPS://h.test/", "HTTPS://h.test/"},
      {"HtTp://h.test/", "HtTp://h.test/"},
      {"httpbin.test/x", "httpbin.test/x"},  // a host beginning with the four letters
      {"ftp://h.test/", "http://ftp://h.test/"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in);
    Text url(c.in);
    client_.Open(Text("GET"), url);
    EXPECT_EQ(url.bytes(), c.out);
    EXPECT_EQ(client_.record().referer.bytes(), c.out) << "the Referer is the completed URL";
  }
}

TEST_F(HttpClientRequestTest, OpenResetsPerRequestStateOnlyWhileDefaultsAreOn) {
  client_.SetRequestHeader("User-Agent", "x");
  Open("POST", "http://a.test/");
  EXPECT_EQ(client_.record().isPost, 1);
  EXPECT_EQ(client_.record().userAgentSet, 0);
  client_.Send();
  const HttpClientRecord afterSend = client_.record();
  EXPECT_EQ(afterSend.acceptSet + afterSend.acceptLanguageSet + afterSend.refererSet +
                afterSend.userAgentSet + afterSend.contentTypeSet,
            5);

  client_.SetDefaultsEnabled(false);
  Open("GET", "http://b.test/");
  client_.Send();
  EXPECT_EQ(client_.record().isPost, 1) << "left as it was";
  EXPECT_EQ(client_.record().referer.bytes(), "http://a.test/");
  EXPECT_EQ(client_.record().acceptSet, 1);
}

TEST_F(HttpClientRequestTest, HeaderOperations) {
  const struct {
    const char* label;
    std::function<void(HttpClient&)> act;
    Calls expected;
    std::function<void(const HttpClientRecord&)> check;
  } cases[] = {
      {"empty name: no call, no flag",
       [](HttpClient& c) {
         c.SetRequestHeader("", "x");
         c.SetRequestHeaderZero("");
       },
       {}, [](const HttpClientRecord& r) { EXPECT_EQ(r.acceptSet, 0); }},
      {"a default name in capitals with a value marks it, stored value unchanged",
       [](HttpClient& c) { c.SetRequestHeader("ACCEPT", "text/html"); },
       {Header("ACCEPT", "text/html")},
       [](const HttpClientRecord& r) {
         EXPECT_EQ(r.acceptSet, 1);
         EXPECT_EQ(r.accept.bytes(), "*/*");
       }},
      {"an empty value does not mark the header",
       [](HttpClient& c) { c.SetRequestHeader("Accept", ""); }, {Header("Accept", "")},
       [](const HttpClientRecord& r) { EXPECT_EQ(r.acceptSet, 0); }},
      {"names with spaces around them match nothing",
       [](HttpClient& c) { c.SetRequestHeader(" accept", "x"); }, {Header(" accept", "x")},
       [](const HttpClientRecord& r) { EXPECT_EQ(r.acceptSet, 0); }},
      {"each default name sets its own flag",
       [](HttpClient& c) {
         for (const char* name : {"accept-language", "Referer", "USER-AGENT", "Content-Type"}) {
           c.SetRequestHeader(name, "v");
         }
       },
       {Header("accept-language", "v"), Header("Referer", "v"), Header("USER-AGENT", "v"),
        Header("Content-Type", "v")},
       [](const HttpClientRecord& r) {
         EXPECT_EQ(r.acceptLanguageSet + r.refererSet + r.userAgentSet + r.contentTypeSet, 4);
         EXPECT_EQ(r.acceptSet, 0);
       }},
      {"the zero form sends the text 0 and marks whatever the value",
       [](HttpClient& c) { c.SetRequestHeaderZero("referer"); }, {Header("referer", "0")},
       [](const HttpClientRecord& r) { EXPECT_EQ(r.refererSet, 1); }},
      {"SetAccept without a value sends and marks the stored value",
       [](HttpClient& c) { c.SetAccept(); }, {Header("Accept", "*/*")},
       [](const HttpClientRecord& r) { EXPECT_EQ(r.acceptSet, 1); }},
      {"SetUserAgent with a value stores it as the new default",
       [](HttpClient& c) { c.SetUserAgent(Text("Kelvaro/1")); },
       {Header("User-Agent", "Kelvaro/1")},
       [](const HttpClientRecord& r) {
         EXPECT_EQ(r.userAgent.bytes(), "Kelvaro/1");
         EXPECT_EQ(r.userAgentSet, 1);
       }},
      {"SetContentType and SetReferer",
       [](HttpClient& c) {
         c.SetContentType(Text("text/plain"));
         c.SetReferer(Text("http://r.test/"));
       },
       {Header("Content-Type", "text/plain"), Header("Referer", "http://r.test/")},
       [](const HttpClientRecord& r) {
         EXPECT_EQ(r.contentType.bytes(), "text/plain");
         EXPECT_EQ(r.referer.bytes(), "http://r.test/");
       }},
      {"with defaults off the setters still send, and change nothing",
       [](HttpClient& c) {
         c.SetDefaultsEnabled(false);
         c.SetAccept();
         c.SetUserAgent(Text("x"));
         c.SetRequestHeader("Accept", "y");
       },
       {Header("Accept", "*/*"), Header("User-Agent", "x"), Header("Accept", "y")},
       [](const HttpClientRecord& r) {
         EXPECT_EQ(r.acceptSet + r.userAgentSet, 0);
         EXPECT_EQ(r.userAgent.bytes(), kUserAgent);
       }},
      {"fixed header groups",
       [](HttpClient& c) {
         c.SetCookie("a=1; b=2");
         c.SetClientAddress("10.0.0.1");
         c.SetRequestedWith();
       },
       {Header("Cookie", "a=1; b=2"), Header("X-Forwarded-For", "10.0.0.1"),
        Header("CLIENT_IP", "10.0.0.1"), Header("VIA", "10.0.0.1"),
        Header("REMOTE_ADDR", "10.0.0.1"), Header("x-requested-with", "XMLHttpRequest")},
       [](const HttpClientRecord& r) { EXPECT_EQ(r.acceptSet, 0); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    Rig fresh;
    c.act(fresh.client_);
    EXPECT_EQ(fresh.recorder_->calls(), c.expected);
    c.check(fresh.client_.record());
  }
}

TEST_F(HttpClientRequestTest, StoredDefaultsLastUntilResetOrOpen) {
  client_.SetUserAgent(Text("Kelvaro/1"));
  client_.SetReferer(Text("http://elsewhere.test/"));
  Open("GET", "http://a.test/");
  client_.Send();
  client_.ResetDefaults();
  Open("GET", "http://b.test/");
  client_.Send();
  const Calls& calls = recorder_->calls();
  EXPECT_EQ(calls[5], Header("Referer", "http://a.test/")) << "Open replaced the Referer";
  EXPECT_EQ(calls[6], Header("User-Agent", "Kelvaro/1"));
  EXPECT_EQ(calls.back(), "Send(-)");
  EXPECT_EQ(calls[calls.size() - 2], Header("User-Agent", kUserAgent)) << "reset restored it";
}

TEST_F(HttpClientRequestTest, SettingsPassTheirDefaults) {
  const struct {
    const char* label;
    std::function<void(HttpClient&)> act;
    Calls expected;
  } cases[] = {
      {"SetTimeouts, nothing given", [](HttpClient& c) { c.SetTimeouts(); },
       {"SetTimeouts(i:10000,i:20000,i:30000,i:60000)"}},
      {"SetTimeouts, only the second given",
       [](HttpClient& c) { c.SetTimeouts(std::nullopt, 5); },
       {"SetTimeouts(i:10000,i:5,i:30000,i:60000)"}},
      {"EnableRedirects", [](HttpClient& c) { c.EnableRedirects(); }, {"put Option(i:6,true)"}},
      {"EnableRedirects(false)", [](HttpClient& c) { c.EnableRedirects(false); },
       {"put Option(i:6,false)"}},
      {"SetProxy with only a server", [](HttpClient& c) { c.SetProxy(std::nullopt, "p:3128"); },
       {"SetProxy(i:2,p:3128,)"}},
      {"SetProxy with everything", [](HttpClient& c) { c.SetProxy(1, "p", Text("*.local")); },
       {"SetProxy(i:1,p,*.local)"}},
      {"SetCredentials without flags", [](HttpClient& c) { c.SetCredentials("u", "pw"); },
       {"SetCredentials(u,pw,i:0)"}},
      {"certificate and logon policy",
       [](HttpClient& c) {
         c.SetClientCertificate("LOCAL_MACHINE\\My\\x");
         c.SetAutoLogonPolicy(2);
       },
       {"SetClientCertificate(LOCAL_MACHINE\\My\\x)", "SetAutoLogonPolicy(i:2)"}},
      {"WaitForResponse without a time-out passes 0",
       [](HttpClient& c) { c.WaitForResponse(); }, {"WaitForResponse(i:0)"}},
      {"Abort and Noop", [](HttpClient& c) {
         c.Abort();
         c.Noop();
       }, {"Abort()"}},
      {"Option: the integer wins over the text",
       [](HttpClient& c) { c.Option(5, 7, Text("x")); }, {"put Option(i:5,i:7)", "get Option(i:5)"}},
      {"Option: a text", [](HttpClient& c) { c.Option(0, std::nullopt, Text("UA")); },
       {"put Option(i:0,UA)", "get Option(i:0)"}},
      {"Option: a bare byte array is refused, only the read happens",
       [](HttpClient& c) { c.Option(4, std::nullopt, std::nullopt, Bytes{1, 2}); },
       {"get Option(i:4)"}},
      {"Option: a variant passes its content",
       [](HttpClient& c) {
         c.Option(4, std::nullopt, std::nullopt, std::nullopt, Variant(Bytes{1, 2}));
       },
       {"put Option(i:4,bytes[2])", "get Option(i:4)"}},
      {"Option: nothing given only reads", [](HttpClient& c) { c.Option(9); },
       {"get Option(i:9)"}},
      {"Location is GetResponseHeader of Location", [](HttpClient& c) { c.Location(); },
       {"GetResponseHeader(Location)"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    Rig fresh;
    c.act(fresh.client_);
    EXPECT_EQ(fresh.recorder_->calls(), c.expected);
  }
}

TEST_F(HttpClientRequestTest, ResponseAccessConvertsResults) {
  recorder_->Script("Status", Variant(std::int32_t{404}));
  recorder_->Script("StatusText", Variant(u"Not Found"));
  recorder_->Script("ResponseText", Variant(u"\u4E2D\u6587"));  // 中文
  recorder_->Script("ResponseBody", Variant(Bytes{'a', 'b', 0, 'c'}));
  recorder_->Script("GetAllResponseHeaders", Variant(u"Set-Cookie: sid=ab12; path=/\r\n"));
  EXPECT_EQ(client_.Status(), 404);
  EXPECT_EQ(client_.StatusText().bytes(), "Not Found");
  EXPECT_EQ(client_.ResponseText().bytes(), "\xD6\xD0\xCE\xC4");
  EXPECT_EQ(client_.ResponseBody(), (Bytes{'a', 'b', 0, 'c'}));
  EXPECT_EQ(client_.ResponseBodyText().bytes(), "ab") << "stops at the zero byte";
  EXPECT_EQ(client_.CookieValue("sid").bytes(), "ab12");
  EXPECT_EQ(client_.CollectSetCookies().bytes(), "sid=ab12");

  recorder_->Script("ResponseBody", Variant(Bytes{'x', 'y'}));
  EXPECT_EQ(client_.ResponseBodyText().bytes(), "xy");
  recorder_->Script("ResponseBody", Variant(u"not bytes"));
  EXPECT_TRUE(client_.ResponseBody().empty());
}

TEST_F(HttpClientRequestTest, MergeCookiesWritesBackBothTexts) {
  Text oldCookies = "sid=ab12; lang=zh";
  Text newCookies = " lang=en ";
  EXPECT_EQ(client_.MergeCookies(oldCookies, newCookies).bytes(), "sid=ab12; lang=en;");
  EXPECT_EQ(oldCookies.bytes(), "sid=ab12; lang=en;");
  EXPECT_EQ(newCookies.bytes(), "lang=en;");
  EXPECT_TRUE(recorder_->calls().empty());
}

}  // namespace
}  // namespace kelvaro
