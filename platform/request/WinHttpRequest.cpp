#include "platform/request/WinHttpRequest.h"

#include <algorithm>
#include <chrono>
#include <string_view>

#include "platform/automation/ClassRegistry.h"
#include "platform/automation/Coercion.h"
#include "platform/request/Charsets.h"
#include "platform/request/ResponseBodyStream.h"
#include "platform/request/ResponseHeaders.h"
#include "platform/request/WinHttpErrors.h"

namespace kelvaro::platform {

namespace {

enum MemberId {
  kOpen,
  kSetRequestHeader,
  kSend,
  kWaitForResponse,
  kAbort,
  kSetTimeouts,
  kSetProxy,
  kSetCredentials,
  kSetClientCertificate,
  kSetAutoLogonPolicy,
  kGetResponseHeader,
  kGetAllResponseHeaders,
  kStatus,
  kStatusText,
  kResponseText,
  kResponseBody,
  kResponseStream,
  kOptionGet,
  kOptionPut,
};

std::u16string Description(std::int32_t code) {
  switch (code) {
    case winhttp::kInvalidParameter:
      return u"The parameter is incorrect.";
    case winhttp::kTimeout:
      return u"The operation timed out";
    case winhttp::kInternalError:
      return u"An internal error occurred in the HTTP request object";
    case winhttp::kInvalidUrl:
      return u"The URL is invalid";
    case winhttp::kUnrecognisedScheme:
      return u"The URL does not use a recognized protocol";
    case winhttp::kNameNotResolved:
      return u"The server name or address could not be resolved";
    case winhttp::kOperationCancelled:
      return u"The operation has been canceled";
    case winhttp::kIncorrectHandleState:
      return u"The operation cannot be carried out because the request is not in the correct "
             u"state";
    case winhttp::kCannotConnect:
      return u"A connection with the server could not be established";
    case winhttp::kConnectionError:
      return u"The connection with the server was terminated abnormally";
    case winhttp::kClientCertificateNeeded:
      return u"A certificate is required to complete client authentication";
    case winhttp::kHeaderNotFound:
      return u"The requested header could not be located";
    case winhttp::kInvalidServerResponse:
      return u"The server returned an invalid or unrecognized response";
    case winhttp::kInvalidHeader:
      return u"The header could not be added";
    case winhttp::kRedirectFailed:
      return u"The redirection failed because either the scheme changed or all attempts made to "
             u"redirect failed";
    case winhttp::kSecureFailure:
      return u"A security error occurred";
    case winhttp::kHeaderSizeOverflow:
      return u"The response headers exceeded the size limit of the request object";
    case winhttp::kResponseOverflow:
      return u"The response exceeded the size limit of the request object";
    case winhttp::kPending:
      return u"The data necessary to complete this operation is not yet available.";
    default:
      return u"The HTTP request failed";
  }
}

[[noreturn]] void Raise(std::int32_t code) {
  throw AutomationError(code, Description(code));
}

// tchar of HTTP: the characters a method or header name may consist of.
bool IsTokenChar(char16_t c) {
  if (c >= u'0' && c <= u'9') return true;
  if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z')) return true;
  return std::u16string_view(u"!#$%&'*+-.^_`|~").find(c) != std::u16string_view::npos;
}

bool IsToken(std::u16string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), IsTokenChar);
}

std::u16string_view TrimmedSpaces(std::u16string_view text) {
  const std::size_t first = text.find_first_not_of(u" \t");
  if (first == std::u16string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(u" \t") - first + 1);
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [&](char x, char y) { return lower(x) == lower(y); });
}

// A String argument, read in place.
std::u16string_view StringArgument(const Arguments& arguments, std::size_t index) {
  const std::u16string* text = arguments.Value(index).IfString();
  return text != nullptr ? std::u16string_view(*text) : std::u16string_view();
}

// The content of `value` (known to be of type T), or T's empty value.
template <typename T>
T ContentOr(const T* content) {
  return content != nullptr ? *content : T{};
}

// The content of an optional Variant argument converted to `kind`; std::nullopt when it was not
// given or is empty. A content that does not convert fails the call with its outcome.
std::optional<Variant> OptionalAs(const Arguments& arguments, std::size_t index, ValueKind kind) {
  if (!arguments.Given(index) || arguments.Value(index).IsEmpty()) return std::nullopt;
  Variant out;
  const CallOutcome outcome = ConvertVariant(arguments.Value(index), kind, out);
  if (outcome != CallOutcome::Success) throw AutomationError::WithOutcome(outcome);
  return out;
}

std::string OptionalUtf8(const Arguments& arguments, std::size_t index) {
  const std::optional<Variant> text = OptionalAs(arguments, index, ValueKind::String);
  return text ? ToUtf8(ContentOr(text->IfString())) : std::string();
}

std::chrono::milliseconds TimeoutSetting(std::int32_t value) {
  return std::chrono::milliseconds(value <= 0 ? 0 : value);
}

}  // namespace

std::span<const Member> WinHttpRequest::Members() const {
  using K = ValueKind;
  static const std::vector<Member> members = {
      {"Open", MemberKind::Method, {{K::String}, {K::String}, {K::Variant, true}}, K::Void, kOpen},
      {"SetRequestHeader",
       MemberKind::Method,
       {{K::String}, {K::String}},
       K::Void,
       kSetRequestHeader},
      {"Send", MemberKind::Method, {{K::Variant, true}}, K::Void, kSend},
      {"WaitForResponse", MemberKind::Method, {{K::Variant, true}}, K::Bool, kWaitForResponse},
      {"Abort", MemberKind::Method, {}, K::Void, kAbort},
      {"SetTimeouts",
       MemberKind::Method,
       {{K::Int32}, {K::Int32}, {K::Int32}, {K::Int32}},
       K::Void,
       kSetTimeouts},
      {"SetProxy",
       MemberKind::Method,
       {{K::Int32}, {K::Variant, true}, {K::Variant, true}},
       K::Void,
       kSetProxy},
      {"SetCredentials",
       MemberKind::Method,
       {{K::String}, {K::String}, {K::Int32}},
       K::Void,
       kSetCredentials},
      {"SetClientCertificate", MemberKind::Method, {{K::String}}, K::Void, kSetClientCertificate},
      {"SetAutoLogonPolicy", MemberKind::Method, {{K::Int32}}, K::Void, kSetAutoLogonPolicy},
      {"GetResponseHeader", MemberKind::Method, {{K::String}}, K::String, kGetResponseHeader},
      {"GetAllResponseHeaders", MemberKind::Method, {}, K::String, kGetAllResponseHeaders},
      {"Status", MemberKind::PropertyGet, {}, K::Int32, kStatus},
      {"StatusText", MemberKind::PropertyGet, {}, K::String, kStatusText},
      {"ResponseText", MemberKind::PropertyGet, {}, K::String, kResponseText},
      {"ResponseBody", MemberKind::PropertyGet, {}, K::Variant, kResponseBody},
      {"ResponseStream", MemberKind::PropertyGet, {}, K::Variant, kResponseStream},
      {"Option", MemberKind::PropertyGet, {{K::Int32}}, K::Variant, kOptionGet},
      {"Option", MemberKind::PropertyPut, {{K::Int32}, {K::Variant}}, K::Void, kOptionPut},
  };
  return members;
}

Variant WinHttpRequest::Invoke(const Member& member, const Arguments& arguments) {
  if (member.id != kOpen && member.id != kAbort) Advance(TransferClock::now());
  switch (member.id) {
    case kOpen:
      Open(arguments);
      return {};
    case kSetRequestHeader:
      SetRequestHeader(arguments);
      return {};
    case kSend:
      Send(arguments);
      return {};
    case kWaitForResponse:
      return Variant(WaitForResponse(arguments));
    case kAbort:
      Abort();
      return {};
    case kSetTimeouts:
      SetTimeouts(arguments);
      return {};
    case kSetProxy:
      SetProxy(arguments);
      return {};
    case kSetCredentials:
      SetCredentials(arguments);
      return {};
    case kSetClientCertificate:
      clientCertificate_ = ToUtf8(arguments.String(0));
      return {};
    case kSetAutoLogonPolicy: {
      const std::int32_t policy = arguments.Int32(0);
      if (policy < 0 || policy > 2) Raise(winhttp::kInvalidParameter);
      autoLogonPolicy_ = policy;
      return {};
    }
    case kGetResponseHeader:
      return Variant(GetResponseHeader(arguments));
    case kGetAllResponseHeaders:
      return Variant(DecodeHeaderText(RequireResponse().headers));
    case kStatus:
      return Variant(static_cast<std::int32_t>(RequireResponse().status));
    case kStatusText:
      return Variant(DecodeHeaderText(RequireResponse().statusText));
    case kResponseText: {
      const TransferResponse& response = RequireResponse();
      const std::string_view body(reinterpret_cast<const char*>(response.body.data()),
                                  response.body.size());
      return Variant(
          DecodeResponseText(body, FindHeaderValue(response.headers, "Content-Type").value_or("")));
    }
    case kResponseBody: {
      const TransferResponse& response = RequireResponse();
      if (response.body.empty()) return Variant();
      return Variant(response.body);
    }
    case kResponseStream:
      return Variant(ObjectRef(std::make_shared<ResponseBodyStream>(RequireResponse().body)));
    case kOptionGet: {
      std::string url;
      if (state_ == State::Completed) {
        url = response_.url;
      } else if (state_ != State::Created) {
        url = url_.url;
      }
      return options_.Get(arguments.Int32(0), url);
    }
    case kOptionPut:
      options_.Put(arguments.Int32(0), arguments.Value(1));
      return {};
    default:
      break;
  }
  throw AutomationError::WithOutcome(CallOutcome::MemberNotFound);
}

void WinHttpRequest::Open(const Arguments& arguments) {
  const std::u16string_view method = StringArgument(arguments, 0);
  const std::u16string_view url = StringArgument(arguments, 1);
  const std::optional<Variant> async = OptionalAs(arguments, 2, ValueKind::Bool);

  // Whatever happens below, the previous request is over.
  transfer_.reset();
  response_ = TransferResponse{};
  failedError_ = 0;
  headers_.clear();
  serverCredentials_.reset();
  proxyCredentials_.reset();
  state_ = State::Created;

  if (!IsToken(method)) Raise(winhttp::kInvalidParameter);
  const std::optional<std::string> codePage = IcuNameForCodePage(options_.urlCodePage());
  const std::optional<std::string> urlBytes =
      codePage ? EncodeCharset(url, *codePage) : std::nullopt;
  if (!urlBytes) Raise(winhttp::kInvalidUrl);
  const UrlEscaping escaping{!options_.escapeDisable(), !options_.escapeDisableQuery(),
                             options_.escapePercent()};
  RequestUrlResult prepared = PrepareRequestUrl(*urlBytes, escaping);
  if (prepared.error != 0) Raise(prepared.error);

  method_ = ToUtf8(method);
  url_ = std::move(prepared.url);
  async_ = async && ContentOr(async->IfBool());
  state_ = State::Opened;
}

void WinHttpRequest::SetRequestHeader(const Arguments& arguments) {
  if (state_ == State::Created || state_ == State::Sending) Raise(winhttp::kIncorrectHandleState);
  const std::u16string_view name = StringArgument(arguments, 0);
  const std::u16string_view value = TrimmedSpaces(StringArgument(arguments, 1));
  const bool controlInValue = std::any_of(
      value.begin(), value.end(), [](char16_t c) { return (c < 0x20 && c != u'\t') || c == 0x7F; });
  if (!IsToken(name) || controlInValue) Raise(winhttp::kInvalidHeader);

  std::string nameBytes = ToUtf8(name);
  std::string valueBytes = ToUtf8(value);
  const auto existing = std::find_if(headers_.begin(), headers_.end(), [&](const auto& header) {
    return EqualsIgnoringCase(header.first, nameBytes);
  });
  if (existing == headers_.end()) {
    if (!valueBytes.empty()) headers_.emplace_back(std::move(nameBytes), std::move(valueBytes));
  } else if (valueBytes.empty()) {
    headers_.erase(existing);
  } else {
    existing->second = std::move(valueBytes);
  }
}

void WinHttpRequest::Send(const Arguments& arguments) {
  if (state_ == State::Created || state_ == State::Sending) Raise(winhttp::kIncorrectHandleState);
  std::vector<std::uint8_t> body;
  const Variant& given = arguments.Value(0);
  if (const Bytes* bytes = given.IfBytes()) {
    body = *bytes;
  } else if (const std::optional<Variant> text = OptionalAs(arguments, 0, ValueKind::String)) {
    const std::string utf8 = ToUtf8(ContentOr(text->IfString()));
    body.assign(utf8.begin(), utf8.end());
  }

  response_ = TransferResponse{};
  failedError_ = 0;
  state_ = State::Opened;
  TransferRequest request = BuildTransferRequest();
  request.body = std::move(body);
  if (!connections_.multi || !connections_.easy) {
    connections_ = {CurlMulti::Create(), CurlEasy::Create()};
  }
  // Without handles (out of memory) the transfer tries to make its own.
  const bool kept = connections_.multi && connections_.easy;
  transfer_ = std::make_unique<HttpTransfer>(std::move(request), kept ? &connections_ : nullptr);
  state_ = State::Sending;
  if (async_) {
    Advance(TransferClock::now());
    return;
  }
  Advance(std::nullopt);
  if (failedError_ != 0) {
    const std::int32_t error = failedError_;
    failedError_ = 0;
    Raise(error);
  }
}

bool WinHttpRequest::WaitForResponse(const Arguments& arguments) {
  std::optional<TransferClock::time_point> until;
  if (const std::optional<Variant> timeout = OptionalAs(arguments, 0, ValueKind::Double)) {
    const double seconds = ContentOr(timeout->IfDouble());
    if (seconds < 0 && seconds != -1) Raise(winhttp::kInvalidParameter);
    // Beyond about three years a limit means as little as none.
    if (seconds >= 0 && seconds < 1e8) {
      until = TransferClock::now() + std::chrono::duration_cast<TransferClock::duration>(
                                         std::chrono::duration<double>(seconds));
    }
  }
  Advance(until);
  if (state_ == State::Sending) return false;
  if (failedError_ != 0) {
    const std::int32_t error = failedError_;
    failedError_ = 0;
    Raise(error);
  }
  if (state_ != State::Completed) Raise(winhttp::kIncorrectHandleState);
  return true;
}

void WinHttpRequest::Abort() {
  if (state_ != State::Sending) return;
  transfer_.reset();
  state_ = State::Opened;
}

void WinHttpRequest::SetTimeouts(const Arguments& arguments) {
  for (std::size_t i = 0; i < 4; ++i) {
    if (arguments.Int32(i) < -1) Raise(winhttp::kInvalidParameter);
  }
  timeouts_ =
      TransferTimeouts{TimeoutSetting(arguments.Int32(0)), TimeoutSetting(arguments.Int32(1)),
                       TimeoutSetting(arguments.Int32(2)), TimeoutSetting(arguments.Int32(3))};
}

void WinHttpRequest::SetProxy(const Arguments& arguments) {
  const std::int32_t setting = arguments.Int32(0);
  if (setting < 0 || setting > 2) Raise(winhttp::kInvalidParameter);
  ProxySettings settings{setting, OptionalUtf8(arguments, 1), OptionalUtf8(arguments, 2)};
  proxy_ = std::move(settings);
}

void WinHttpRequest::SetCredentials(const Arguments& arguments) {
  if (state_ == State::Created || state_ == State::Sending) Raise(winhttp::kIncorrectHandleState);
  const std::int32_t flags = arguments.Int32(2);
  if (flags != 0 && flags != 1) Raise(winhttp::kInvalidParameter);
  TransferCredentials credentials{ToUtf8(arguments.String(0)), ToUtf8(arguments.String(1))};
  (flags == 0 ? serverCredentials_ : proxyCredentials_) = std::move(credentials);
}

std::u16string WinHttpRequest::GetResponseHeader(const Arguments& arguments) {
  const TransferResponse& response = RequireResponse();
  const std::optional<std::string_view> value =
      FindHeaderValue(response.headers, ToUtf8(arguments.String(0)));
  if (!value) Raise(winhttp::kHeaderNotFound);
  return DecodeHeaderText(*value);
}

TransferRequest WinHttpRequest::BuildTransferRequest() const {
  TransferRequest request;
  request.method = method_;
  request.url = url_;
  request.headers = headers_;
  request.userAgent = ToUtf8(options_.userAgent());
  request.timeouts = timeouts_;
  request.proxy = proxy_;
  request.followRedirects = options_.redirects();
  request.maxRedirects = options_.maxRedirects();
  request.allowHttpsToHttpRedirects = options_.httpsToHttpRedirects();
  request.maxHeaderBytes = static_cast<std::size_t>(options_.maxHeaderSize());
  request.maxBodyBytes = kMaxResponseBodyBytes;
  request.serverCredentials = serverCredentials_;
  request.proxyCredentials = proxyCredentials_;
  request.clientCertificateFile = clientCertificate_;
  request.verifyPeer = options_.verifyPeer();
  request.verifyHost = options_.verifyHost();
  request.tls = options_.tlsVersions();
  request.http11 = options_.http11();
  return request;
}

void WinHttpRequest::Advance(std::optional<TransferClock::time_point> until) {
  if (state_ != State::Sending || !transfer_) return;
  if (!transfer_->Drive(until)) return;
  if (transfer_->error() == 0) {
    response_ = transfer_->response();
    state_ = State::Completed;
  } else {
    failedError_ = transfer_->error();
    state_ = State::Opened;
  }
  transfer_.reset();
}

const TransferResponse& WinHttpRequest::RequireResponse() {
  if (state_ == State::Sending) Raise(winhttp::kPending);
  if (failedError_ != 0) {
    const std::int32_t error = failedError_;
    failedError_ = 0;
    Raise(error);
  }
  if (state_ != State::Completed) Raise(winhttp::kIncorrectHandleState);
  return response_;
}

void RegisterWinHttpRequestClass() {
  RegisterClass(kWinHttpRequestProgId, [] { return std::make_shared<WinHttpRequest>(); });
}

}  // namespace kelvaro::platform
