#include "http/HttpClient.h"

#include <cmath>
#include <limits>

#include "http/CookieTexts.h"
#include "http/LastErrorText.h"
#include "platform/automation/CallBoundary.h"
#include "platform/automation/ClassRegistry.h"
#include "platform/automation/ComInit.h"
#include "text/TextOps.h"

namespace kelvaro {

namespace {

using platform::CallMethod;

constexpr std::string_view kRequestProgId = "WinHttp.WinHttpRequest.5.1";
constexpr std::int32_t kRedirectsOption = 6;

// Truncates toward zero; values outside the 32-bit range (and NaN) cannot be a status code and
// give 0 rather than undefined behaviour.
std::int32_t TruncateToInt32(double value) {
  const double truncated = std::trunc(value);
  if (!(truncated >= std::numeric_limits<std::int32_t>::min() &&
        truncated <= std::numeric_limits<std::int32_t>::max())) {
    return 0;
  }
  return static_cast<std::int32_t>(truncated);
}

}  // namespace

HttpClient::HttpClient() : endsComInitialization_(true) {
  platform::CoInitialize();
  CreateObject();
  ResetDefaults();
}

HttpClient::HttpClient(CloneTag, const HttpClient& original) : record_(original.record_) {}

HttpClient::~HttpClient() {
  ClearObject();
  if (endsComInitialization_) platform::CoUninitialize();
}

std::unique_ptr<HttpClient> HttpClient::Clone() const {
  return std::unique_ptr<HttpClient>(new HttpClient(CloneTag{}, *this));
}

void HttpClient::ResetDefaults() {
  record_.defaultsEnabled = 1;
  record_.accept = "*/*";
  record_.acceptLanguage = "zh-cn";
  record_.userAgent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";
  record_.contentType = "application/x-www-form-urlencoded";
}

void HttpClient::SetDefaultsEnabled(std::optional<bool> enabled) {
  record_.defaultsEnabled = enabled.value_or(true) ? 1 : 0;
}

bool HttpClient::CreateObject() {
  if (!IsObjectEmpty()) return true;
  ObjectRef created = platform::CreateObjectByProgId(kRequestProgId);
  if (created.IsEmpty()) return false;
  record_.request = std::move(created);
  return true;
}

void HttpClient::ClearObject() { record_.request.Clear(); }

void HttpClient::RecreateObject() {
  ClearObject();
  CreateObject();
}

bool HttpClient::IsObjectEmpty() const { return record_.request.IsEmpty(); }

ObjectRef HttpClient::GetObject() const { return record_.request; }

void HttpClient::SetObject(const ObjectRef& object) {
  ClearObject();
  record_.request = object;
}

Text HttpClient::LastError() const { return LastErrorText(platform::LastCallOutcome()); }

std::int32_t HttpClient::Status() {
  return TruncateToInt32(platform::GetDouble(record_.request, "Status"));
}

Text HttpClient::StatusText() { return platform::GetText(record_.request, "StatusText"); }

Text HttpClient::ResponseText() { return platform::GetText(record_.request, "ResponseText"); }

Bytes HttpClient::ResponseBody() {
  Variant body = platform::GetVariant(record_.request, "ResponseBody");
  return body.Take<Bytes>().value_or(Bytes{});
}

Text HttpClient::ResponseBodyText() { return TextFromBytes(ResponseBody()); }

Text HttpClient::ResponseBodyUtf8() {
  const Bytes bytes = ResponseBody();
  return DecodeBytes(bytes, Text("UTF-8"));
}

Variant HttpClient::ResponseStream() {
  return platform::GetVariant(record_.request, "ResponseStream");
}

void HttpClient::EnableRedirects(std::optional<bool> enable) {
  platform::PutProperty(record_.request, "Option", {kRedirectsOption}, enable.value_or(true));
}

void HttpClient::SetTimeouts(std::optional<std::int32_t> resolve,
                             std::optional<std::int32_t> connect, std::optional<std::int32_t> send,
                             std::optional<std::int32_t> receive) {
  CallMethod(record_.request, "SetTimeouts",
             {resolve.value_or(10000), connect.value_or(20000), send.value_or(30000),
              receive.value_or(60000)});
}

void HttpClient::SetProxy(std::optional<std::int32_t> setting, const Text& server,
                          const std::optional<Text>& bypass) {
  CallMethod(record_.request, "SetProxy", {setting.value_or(2), server, bypass.value_or(Text())});
}

Variant HttpClient::Option(std::int32_t index, std::optional<std::int32_t> intValue,
                           const std::optional<Text>& textValue,
                           const std::optional<Bytes>& bytesValue,
                           const std::optional<Variant>& variantValue) {
  if (intValue) {
    platform::PutProperty(record_.request, "Option", {index}, *intValue);
  } else if (textValue) {
    platform::PutProperty(record_.request, "Option", {index}, *textValue);
  } else if (bytesValue) {
    // Handed over bare, as the caller gave it; the call boundary refuses it.
    platform::PutProperty(record_.request, "Option", {index}, *bytesValue);
  } else if (variantValue) {
    platform::PutProperty(record_.request, "Option", {index}, *variantValue);
  }
  return platform::GetVariant(record_.request, "Option", {index});
}

void HttpClient::SetCredentials(const Text& user, const Text& password,
                                std::optional<std::int32_t> flags) {
  CallMethod(record_.request, "SetCredentials", {user, password, flags.value_or(0)});
}

void HttpClient::SetClientCertificate(const Text& certificate) {
  CallMethod(record_.request, "SetClientCertificate", {certificate});
}

void HttpClient::SetAutoLogonPolicy(std::int32_t policy) {
  CallMethod(record_.request, "SetAutoLogonPolicy", {policy});
}

void HttpClient::Open(const std::optional<Text>& method, Text& url, std::optional<bool> async) {
  const Text verb = method.value_or(Text("GET"));
  if (!StartsWith(ToLower(url), "http")) url = JoinTexts({"http://", url});
  if (record_.defaultsEnabled == 1) {
    record_.acceptSet = 0;
    record_.acceptLanguageSet = 0;
    record_.refererSet = 0;
    record_.userAgentSet = 0;
    record_.contentTypeSet = 0;
    record_.isPost = TextEquals(ToUpper(verb), "POST") ? 1 : 0;
    record_.referer = url;
  }
  CallMethod(record_.request, "Open", {verb, url, async.value_or(false)});
}

void HttpClient::SendDefaultHeaders() {
  if (record_.defaultsEnabled != 1) return;
  struct Row {
    const char* name;
    std::int32_t& flag;
    const Text& value;
    bool due;
  };
  const Row rows[] = {
      {"Accept", record_.acceptSet, record_.accept, true},
      {"Accept-Language", record_.acceptLanguageSet, record_.acceptLanguage, true},
      {"Referer", record_.refererSet, record_.referer, true},
      {"User-Agent", record_.userAgentSet, record_.userAgent, true},
      {"Content-Type", record_.contentTypeSet, record_.contentType, record_.isPost == 1},
  };
  for (const Row& row : rows) {
    if (!row.due || row.flag != 0) continue;
    // The flag is set before the call, so a failing call still counts its header as sent.
    row.flag = 1;
    CallMethod(record_.request, "SetRequestHeader", {row.name, row.value});
  }
}

void HttpClient::Send(const std::optional<Text>& body) {
  SendDefaultHeaders();
  if (body) {
    CallMethod(record_.request, "Send", {*body});
  } else {
    CallMethod(record_.request, "Send");
  }
}

void HttpClient::SendBytes(const std::optional<Bytes>& body) {
  SendDefaultHeaders();
  if (body) {
    Variant wrapped(*body);
    CallMethod(record_.request, "Send", {std::move(wrapped)});
  } else {
    CallMethod(record_.request, "Send");
  }
}

bool HttpClient::WaitForResponse(std::optional<std::int32_t> timeout) {
  return platform::CallBool(record_.request, "WaitForResponse", {timeout.value_or(0)});
}

void HttpClient::Abort() { CallMethod(record_.request, "Abort"); }

void HttpClient::MarkDefaultHeaderSet(const Text& name) {
  const Text lower = ToLower(name);
  const struct {
    const char* name;
    std::int32_t& flag;
  } defaults[] = {
      {"accept", record_.acceptSet},         {"accept-language", record_.acceptLanguageSet},
      {"referer", record_.refererSet},       {"user-agent", record_.userAgentSet},
      {"content-type", record_.contentTypeSet},
  };
  for (const auto& entry : defaults) {
    if (TextEquals(lower, entry.name)) {
      entry.flag = 1;
      return;
    }
  }
}

void HttpClient::SetRequestHeader(const Text& name, const Text& value) {
  if (name.empty()) return;
  if (record_.defaultsEnabled == 1 && !value.empty()) MarkDefaultHeaderSet(name);
  CallMethod(record_.request, "SetRequestHeader", {name, value});
}

void HttpClient::SetRequestHeaderZero(const Text& name) {
  if (name.empty()) return;
  if (record_.defaultsEnabled == 1) MarkDefaultHeaderSet(name);
  // The number 0, not a text: the call boundary turns it into the declared text "0".
  CallMethod(record_.request, "SetRequestHeader", {name, std::int32_t{0}});
}

Text HttpClient::GetResponseHeader(const Text& name) {
  return platform::CallText(record_.request, "GetResponseHeader", {name});
}

Text HttpClient::GetAllResponseHeaders() {
  return platform::CallText(record_.request, "GetAllResponseHeaders");
}

void HttpClient::Noop() {}

Text HttpClient::CookieValue(const Text& name) {
  return CookieValueIn(GetAllResponseHeaders(), name);
}

Text HttpClient::CollectSetCookies() { return CollectSetCookiesIn(GetAllResponseHeaders()); }

Text HttpClient::Location() { return GetResponseHeader("Location"); }

void HttpClient::SetDefaultHeader(const char* name, std::int32_t& flag, Text& stored,
                                  const std::optional<Text>& value) {
  const Text sent = value.value_or(stored);
  if (record_.defaultsEnabled == 1 && !sent.empty()) {
    flag = 1;
    stored = sent;
  }
  CallMethod(record_.request, "SetRequestHeader", {name, sent});
}

void HttpClient::SetAccept(const std::optional<Text>& value) {
  SetDefaultHeader("Accept", record_.acceptSet, record_.accept, value);
}

void HttpClient::SetUserAgent(const std::optional<Text>& value) {
  SetDefaultHeader("User-Agent", record_.userAgentSet, record_.userAgent, value);
}

void HttpClient::SetReferer(const std::optional<Text>& value) {
  SetDefaultHeader("Referer", record_.refererSet, record_.referer, value);
}

void HttpClient::SetContentType(const std::optional<Text>& value) {
  SetDefaultHeader("Content-Type", record_.contentTypeSet, record_.contentType, value);
}

void HttpClient::SetCookie(const Text& value) {
  CallMethod(record_.request, "SetRequestHeader", {"Cookie", value});
}

void HttpClient::SetClientAddress(const Text& address) {
  for (const char* header : {"X-Forwarded-For", "CLIENT_IP", "VIA", "REMOTE_ADDR"}) {
    CallMethod(record_.request, "SetRequestHeader", {header, address});
  }
}

void HttpClient::SetRequestedWith() {
  CallMethod(record_.request, "SetRequestHeader", {"x-requested-with", "XMLHttpRequest"});
}

Text HttpClient::MergeCookies(Text& oldCookies, Text& newCookies) {
  return MergeCookieTexts(oldCookies, newCookies);
}

}  // namespace kelvaro
