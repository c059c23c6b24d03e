#include "platform/request/HttpTransfer.h"
#include "platform/request/AsciiCase.h"

#include <sys/socket.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <string_view>

#include "platform/request/WinHttpErrors.h"

namespace kelvaro::platform {

namespace {

bool HasHeader(const std::vector<std::pair<std::string, std::string>>& headers,
               std::string_view name) {
  return std::any_of(headers.begin(), headers.end(), [&](const auto& header) {
    return EqualsIgnoringAsciiCase(header.first, name);
  });
}

bool MethodSendsBody(std::string_view method, std::size_t bodySize) {
  if (bodySize > 0) return true;
  return method == "POST" || method == "PUT" || method == "PATCH";
}

long CurlTlsRange(const TlsVersions& tls) {
  auto lowest = [](int version) -> long {
    switch (version) {
      case 10:
        return CURL_SSLVERSION_TLSv1_0;
      case 11:
        return CURL_SSLVERSION_TLSv1_1;
      case 12:
        return CURL_SSLVERSION_TLSv1_2;
      default:
        return CURL_SSLVERSION_TLSv1_3;
    }
  };
  auto highest = [](int version) -> long {
    switch (version) {
      case 10:
        return CURL_SSLVERSION_MAX_TLSv1_0;
      case 11:
        return CURL_SSLVERSION_MAX_TLSv1_1;
      case 12:
        return CURL_SSLVERSION_MAX_TLSv1_2;
      default:
        return CURL_SSLVERSION_MAX_TLSv1_3;
    }
  };
  return lowest(std::clamp(tls.lowest, 10, 13)) | highest(std::clamp(tls.highest, 10, 13));
}

std::string HostHeaderValue(const RequestUrl& url) {
  const int defaultPort = url.scheme == "https" ? 443 : 80;
  if (url.port == defaultPort) return url.host;
  return url.host + ':' + std::to_string(url.port);
}

bool IsRedirectStatus(int status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

int CeilMilliseconds(TransferClock::duration duration) {
  const auto ms = std::chrono::ceil<std::chrono::milliseconds>(duration).count();
  return static_cast<int>(std::clamp<std::chrono::milliseconds::rep>(ms, 0, 60 * 60 * 1000));
}

}  // namespace

std::int32_t WinHttpErrorForCurl(CURLcode code) {
  switch (code) {
    case CURLE_OK:
      return winhttp::kSuccess;
    case CURLE_URL_MALFORMAT:
      return winhttp::kInvalidUrl;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
      return winhttp::kNameNotResolved;
    case CURLE_COULDNT_CONNECT:
      return winhttp::kCannotConnect;
    case CURLE_OPERATION_TIMEDOUT:
      return winhttp::kTimeout;
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_PARTIAL_FILE:
    case CURLE_GOT_NOTHING:
      return winhttp::kConnectionError;
    case CURLE_UNSUPPORTED_PROTOCOL:  // the URL was checked before; only an HTTP/0.9 answer
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_HTTP2:
    case CURLE_HTTP2_STREAM:
    case CURLE_BAD_CONTENT_ENCODING:
      return winhttp::kInvalidServerResponse;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_ENGINE_NOTFOUND:
    case CURLE_SSL_ENGINE_SETFAILED:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_SHUTDOWN_FAILED:
    case CURLE_SSL_CRL_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
    case CURLE_SSL_CLIENTCERT:
      return winhttp::kSecureFailure;
    case CURLE_SSL_CERTPROBLEM:
      return winhttp::kClientCertificateNeeded;
    case CURLE_TOO_MANY_REDIRECTS:
      return winhttp::kRedirectFailed;
    case CURLE_FILESIZE_EXCEEDED:
      return winhttp::kResponseOverflow;
    default:
      return winhttp::kInternalError;
  }
}

HttpTransfer::HttpTransfer(TransferRequest request, CurlConnections* connections)
    : request_(std::move(request)), originalUrl_(request_.url), shared_(connections) {
  if (!request_.environment)
    request_.environment = [](const char* name) { return std::getenv(name); };
}

HttpTransfer::~HttpTransfer() {
  if (inMulti_) curl_multi_remove_handle(Multi(), Easy());
}

bool HttpTransfer::Drive(std::optional<TransferClock::time_point> until) {
  if (finished_) return true;
  if (!started_) {
    started_ = true;
    if (shared_ == nullptr) own_ = {CurlMulti::Create(), CurlEasy::Create()};
    if (Multi() == nullptr || Easy() == nullptr) {
      Finish(winhttp::kInternalError);
      return true;
    }
    if (!StartHop()) return true;
  }
  for (;;) {
    int running = 0;
    if (curl_multi_perform(Multi(), &running) != CURLM_OK) {
      Finish(winhttp::kInternalError);
      return true;
    }
    int queued = 0;
    bool restarted = false;
    while (CURLMsg* message = curl_multi_info_read(Multi(), &queued)) {
      if (message->msg != CURLMSG_DONE) continue;
      const int hopsBefore = redirects_;
      OnHopDone(message->data.result);
      restarted = redirects_ != hopsBefore;
      break;  // one easy handle: nothing else can be queued
    }
    if (finished_) return true;
    if (restarted) continue;

    const TransferClock::time_point now = TransferClock::now();
    const std::optional<TransferClock::time_point> phaseEnd = PhaseDeadline();
    if (phaseEnd && now >= *phaseEnd) {
      Finish(winhttp::kTimeout);
      return true;
    }
    if (until && now >= *until) return false;

    std::optional<TransferClock::time_point> wakeAt = phaseEnd;
    if (until && (!wakeAt || *until < *wakeAt)) wakeAt = until;
    // libcurl shortens the wait to its own next deadline by itself.
    const int waitMs = wakeAt ? CeilMilliseconds(*wakeAt - now) : 60 * 60 * 1000;
    if (curl_multi_poll(Multi(), nullptr, 0, waitMs, nullptr) != CURLM_OK) {
      Finish(winhttp::kInternalError);
      return true;
    }
  }
}

bool HttpTransfer::StartHop() {
  hop_ = HopProgress{};
  hop_.start = TransferClock::now();
  hop_.lastActivity = hop_.start;
  response_ = TransferResponse{};
  response_.url = request_.url.url;
  callbackError_ = 0;
  if (request_.url.scheme == "https" && request_.tls.lowest > request_.tls.highest) {
    Finish(winhttp::kSecureFailure);
    return false;
  }
  if (!ConfigureHop() || curl_multi_add_handle(Multi(), Easy()) != CURLM_OK) {
    Finish(winhttp::kInternalError);
    return false;
  }
  inMulti_ = true;
  return true;
}

bool HttpTransfer::ConfigureHop() {
  CURL* easy = Easy();
  const TransferRequest& r = request_;
  bool ok = true;
  auto set = [&](CURLoption option, auto value) {
    ok = ok && curl_easy_setopt(easy, option, value) == CURLE_OK;
  };

  set(CURLOPT_URL, r.url.url.c_str());
  set(CURLOPT_PROTOCOLS_STR, "http,https");
  set(CURLOPT_FOLLOWLOCATION, 0L);
  set(CURLOPT_NOSIGNAL, 1L);
  set(CURLOPT_HTTP_VERSION, r.http11 ? long{CURL_HTTP_VERSION_1_1} : long{CURL_HTTP_VERSION_1_0});
  // All time-outs are watched in Drive; libcurl's own connect limit is pushed out of the way.
  set(CURLOPT_CONNECTTIMEOUT_MS, long{INT_MAX});
  set(CURLOPT_TIMEOUT_MS, 0L);

  const ProxyRoute route = ChooseProxyRoute(r.proxy, r.url.scheme, r.url.host, r.environment);
  set(CURLOPT_PROXY, route.proxy.c_str());  // "" is a direct connection
  set(CURLOPT_NOPROXY, route.noProxy.c_str());
  set(CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);

  // Method and body. POSTFIELDS switches libcurl to POST, so it comes first and the custom
  // method last.
  const bool isHead = EqualsIgnoringAsciiCase(r.method, "HEAD");
  const bool sendsBody = !isHead && MethodSendsBody(r.method, r.body.size());
  hop_.bodySize = sendsBody ? r.body.size() : 0;
  set(CURLOPT_POSTFIELDSIZE_LARGE, sendsBody ? static_cast<curl_off_t>(r.body.size()) : -1);
  set(CURLOPT_POSTFIELDS, !sendsBody       ? nullptr
                          : r.body.empty() ? ""
                                           : reinterpret_cast<const char*>(r.body.data()));
  if (sendsBody) {
    set(CURLOPT_NOBODY, 0L);
  } else if (isHead) {
    set(CURLOPT_NOBODY, 1L);
  } else {
    set(CURLOPT_HTTPGET, 1L);
  }
  const bool plainMethod =
      (r.method == "GET" && !sendsBody) || r.method == "HEAD" || (r.method == "POST" && sendsBody);
  set(CURLOPT_CUSTOMREQUEST, plainMethod ? nullptr : r.method.c_str());

  // Headers: the caller's first, in order, then User-Agent and Host; suppress libcurl's extras.
  headerList_ = CurlSlist();
  for (const auto& [name, value] : r.headers) {
    if (EqualsIgnoringAsciiCase(name, "Content-Length")) continue;
    ok = ok && headerList_.Append(value.empty() ? name + ";" : name + ": " + value);
  }
  if (!r.userAgent.empty() && !HasHeader(r.headers, "User-Agent")) {
    ok = ok && headerList_.Append("User-Agent: " + r.userAgent);
  }
  if (!HasHeader(r.headers, "Host"))
    ok = ok && headerList_.Append("Host: " + HostHeaderValue(r.url));
  for (const char* name : {"Accept", "Expect", "Content-Type"}) {
    if (!HasHeader(r.headers, name)) ok = ok && headerList_.Append(std::string(name) + ":");
  }
  set(CURLOPT_HTTPHEADER, headerList_.get());
  set(CURLOPT_USERAGENT, static_cast<const char*>(nullptr));

  // Credentials: the server's only for the original scheme, host and port.
  const bool sameOrigin = r.url.scheme == originalUrl_.scheme && r.url.host == originalUrl_.host &&
                          r.url.port == originalUrl_.port;
  const bool serverCredentials = r.serverCredentials && sameOrigin;
  set(CURLOPT_USERNAME, serverCredentials ? r.serverCredentials->user.c_str() : nullptr);
  set(CURLOPT_PASSWORD, serverCredentials ? r.serverCredentials->password.c_str() : nullptr);
  set(CURLOPT_HTTPAUTH, serverCredentials ? static_cast<unsigned long>(CURLAUTH_ANY)
                                          : static_cast<unsigned long>(CURLAUTH_BASIC));
  set(CURLOPT_PROXYUSERNAME, r.proxyCredentials ? r.proxyCredentials->user.c_str() : nullptr);
  set(CURLOPT_PROXYPASSWORD, r.proxyCredentials ? r.proxyCredentials->password.c_str() : nullptr);
  set(CURLOPT_PROXYAUTH, r.proxyCredentials ? static_cast<unsigned long>(CURLAUTH_ANY)
                                            : static_cast<unsigned long>(CURLAUTH_BASIC));

  // TLS.
  set(CURLOPT_SSL_VERIFYPEER, r.verifyPeer ? 1L : 0L);
  set(CURLOPT_SSL_VERIFYHOST, r.verifyHost ? 2L : 0L);
  set(CURLOPT_SSLVERSION, CurlTlsRange(r.tls));
  set(CURLOPT_SSLCERT, r.clientCertificateFile.empty() ? nullptr : r.clientCertificateFile.c_str());

  // Caps and callbacks.
  set(CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(r.maxBodyBytes));
  set(CURLOPT_WRITEFUNCTION, &HttpTransfer::OnBody);
  set(CURLOPT_WRITEDATA, static_cast<void*>(this));
  set(CURLOPT_HEADERFUNCTION, &HttpTransfer::OnHeader);
  set(CURLOPT_HEADERDATA, static_cast<void*>(this));
  set(CURLOPT_OPENSOCKETFUNCTION, &HttpTransfer::OnOpenSocket);
  set(CURLOPT_OPENSOCKETDATA, static_cast<void*>(this));
  // The debug channel reports every byte moved, which is what the stall watch needs.
  set(CURLOPT_DEBUGFUNCTION, &HttpTransfer::OnDebug);
  set(CURLOPT_DEBUGDATA, static_cast<void*>(this));
  set(CURLOPT_VERBOSE, 1L);
  return ok;
}

void HttpTransfer::OnHopDone(CURLcode result) {
  curl_multi_remove_handle(Multi(), Easy());
  inMulti_ = false;
  if (callbackError_ != 0) return Finish(callbackError_);
  // Once the request is out, libcurl collects each status, header or trailer line in a buffer of
  // its own (at most 100 KiB) before the header callback sees it, and reports a line that
  // outgrows it as out of memory: a header section past any cap. (Before that, the same code
  // means a request head too big for libcurl, an internal error.)
  if (result == CURLE_OUT_OF_MEMORY && hop_.headersOut)
    return Finish(winhttp::kHeaderSizeOverflow);
  if (result != CURLE_OK) return Finish(WinHttpErrorForCurl(result));
  // libcurl takes a connection closed inside the header section for the end of the answer; the
  // answer is incomplete.
  if (hop_.inHeaderSection) return Finish(winhttp::kConnectionError);

  const int status = response_.status;
  char* location = nullptr;
  if (!request_.followRedirects || !IsRedirectStatus(status) ||
      curl_easy_getinfo(Easy(), CURLINFO_REDIRECT_URL, &location) != CURLE_OK ||
      location == nullptr) {
    return Finish(winhttp::kSuccess);
  }
  if (redirects_ >= request_.maxRedirects) return Finish(winhttp::kRedirectFailed);
  RequestUrlResult next = PrepareRequestUrl(location, UrlEscaping{});
  if (next.error != 0) return Finish(winhttp::kRedirectFailed);
  if (request_.url.scheme == "https" && next.url.scheme == "http" &&
      !request_.allowHttpsToHttpRedirects) {
    return Finish(winhttp::kSuccess);  // the 3xx answer stands as the final response
  }
  const bool toGet = (status == 303 && !EqualsIgnoringAsciiCase(request_.method, "HEAD")) ||
                     ((status == 301 || status == 302) && request_.method == "POST");
  if (toGet) {
    request_.method = "GET";
    request_.body.clear();
  }
  request_.url = std::move(next.url);
  ++redirects_;
  StartHop();
}

std::optional<TransferClock::time_point> HttpTransfer::PhaseDeadline() const {
  const TransferTimeouts& t = request_.timeouts;
  auto limit = [](TransferClock::time_point from,
                  std::chrono::milliseconds span) -> std::optional<TransferClock::time_point> {
    if (span.count() <= 0) return std::nullopt;
    return from + span;
  };
  if (!hop_.connected && !hop_.resolvedAt) return limit(hop_.start, t.resolve);
  if (!hop_.connected) return limit(*hop_.resolvedAt, t.connect);
  const bool requestOut =
      hop_.headersOut && (hop_.inSinceHeadersOut || hop_.bodyOut >= hop_.bodySize);
  return limit(hop_.lastActivity, requestOut ? t.receive : t.send);
}

void HttpTransfer::Finish(std::int32_t error) {
  if (inMulti_) {
    curl_multi_remove_handle(Multi(), Easy());
    inMulti_ = false;
  }
  finished_ = true;
  error_ = error;
  if (error != 0) response_ = TransferResponse{};
}

void HttpTransfer::Activity() {
  hop_.connected = true;
  hop_.lastActivity = TransferClock::now();
}

std::size_t HttpTransfer::OnBody(char* data, std::size_t size, std::size_t count, void* self) {
  auto* transfer = static_cast<HttpTransfer*>(self);
  const std::size_t bytes = size * count;
  transfer->Activity();
  std::vector<std::uint8_t>& body = transfer->response_.body;
  if (bytes > transfer->request_.maxBodyBytes - body.size()) {
    transfer->callbackError_ = winhttp::kResponseOverflow;
    return 0;
  }
  const auto* first = reinterpret_cast<const std::uint8_t*>(data);
  body.insert(body.end(), first, first + bytes);
  return bytes;
}

std::size_t HttpTransfer::OnHeader(char* data, std::size_t size, std::size_t count, void* self) {
  auto* transfer = static_cast<HttpTransfer*>(self);
  const std::size_t bytes = size * count;
  transfer->Activity();
  HopProgress& hop = transfer->hop_;
  std::string_view line(data, bytes);
  const bool statusLine = !hop.inHeaderSection && line.substr(0, 5) == "HTTP/";
  // Each status line (interim 1xx answers included) begins a new header section.
  hop.headerBytes = statusLine ? bytes : hop.headerBytes + bytes;
  if (hop.headerBytes > transfer->request_.maxHeaderBytes) {
    transfer->callbackError_ = winhttp::kHeaderSizeOverflow;
    return 0;
  }
  if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

  TransferResponse& response = transfer->response_;
  if (statusLine) {
    hop.inHeaderSection = true;
    response.headers.clear();
    response.body.clear();
    response.statusText.clear();
    response.status = 0;
    // "HTTP/1.1 200 OK": the code after the first space, the reason after the next one.
    const std::size_t space = line.find(' ');
    if (space != std::string_view::npos) {
      const std::string_view afterVersion = line.substr(space + 1);
      const std::string_view code = afterVersion.substr(0, afterVersion.find(' '));
      for (const char c : code) {
        if (c < '0' || c > '9' || response.status > 99999) break;
        response.status = response.status * 10 + (c - '0');
      }
      if (code.size() < afterVersion.size())
        response.statusText = afterVersion.substr(code.size() + 1);
    }
    return bytes;
  }
  if (!hop.inHeaderSection) return bytes;  // trailers after the body are not kept
  if (line.empty()) {
    hop.inHeaderSection = false;
    return bytes;
  }
  response.headers.append(line);
  response.headers += "\r\n";
  return bytes;
}

int HttpTransfer::OnDebug(CURL*, curl_infotype type, char*, std::size_t size, void* self) {
  auto* transfer = static_cast<HttpTransfer*>(self);
  HopProgress& hop = transfer->hop_;
  switch (type) {
    case CURLINFO_HEADER_OUT:
      transfer->Activity();
      hop.headersOut = true;
      hop.bodyOut = 0;
      hop.inSinceHeadersOut = false;
      break;
    case CURLINFO_DATA_OUT:
      transfer->Activity();
      hop.bodyOut += size;
      break;
    case CURLINFO_HEADER_IN:
    case CURLINFO_DATA_IN:
      transfer->Activity();
      hop.inSinceHeadersOut = hop.headersOut;
      break;
    case CURLINFO_SSL_DATA_IN:
    case CURLINFO_SSL_DATA_OUT:
      transfer->Activity();
      break;
    default:
      break;
  }
  return 0;
}

curl_socket_t HttpTransfer::OnOpenSocket(void* self, curlsocktype, curl_sockaddr* address) {
  auto* transfer = static_cast<HttpTransfer*>(self);
  if (!transfer->hop_.resolvedAt) transfer->hop_.resolvedAt = TransferClock::now();
  const int fd = ::socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
  return fd < 0 ? CURL_SOCKET_BAD : fd;
}

}  // namespace kelvaro::platform
