// One HTTP exchange over libcurl, with redirects, time-outs and size caps as the request object
// defines them. Driven step by step through libcurl's multi interface, so that the caller decides
// when the transfer may progress (only inside Drive) and can stop it at any point by destroying it.
//
// What goes on the wire:
//  - The request line with the method as given and the URL's path and query (absolute form when
//    the request goes through a proxy; https through a proxy is tunnelled with CONNECT).
//  - "Host" first (the caller's own Host header, if any, takes its place and value), then the
//    caller's headers in the given order, then "User-Agent" (request.userAgent) unless the caller
//    gave one, then what libcurl adds for the body ("Content-Length"). Authentication from
//    serverCredentials / proxyCredentials ("Authorization", "Proxy-Authorization") is placed by
//    libcurl right after Host, as is "Proxy-Connection" on requests through a proxy. libcurl's own
//    Accept, Expect: 100-continue and default Content-Type are suppressed; a caller's
//    "Content-Length" is ignored (the real length always goes out). A header with an empty value
//    goes out as "Name:".
//  - HTTP/1.1 (or 1.0 when http11 is false); no content coding is asked for, and the body comes
//    back exactly as sent.
//  - Header names and values must already be free of CR, LF and NUL (the request object refuses
//    them); the URL must come from PrepareRequestUrl.
//
// Methods: "GET" and "HEAD" (exact, upper case) are sent without a body unless one is given; any
// other method sends the body (with "Content-Length", 0 when empty) when it is POST, PUT or PATCH
// or when the body is not empty; otherwise none. A HEAD response (any letter case) has no body.
//
// Redirects (301, 302, 303, 307, 308 with a Location) are followed by the transfer itself when
// followRedirects is set, at most maxRedirects times (one more fails with kRedirectFailed, as does
// a Location that is not an http/https URL). A redirect from https to http is not followed unless
// allowHttpsToHttpRedirects: its 3xx answer is then the final response. 303 turns every method
// but HEAD into GET without a body; 301 and 302 turn POST into GET without a body; 307 and 308
// keep method and body. Credentials go only to the original scheme, host and port.
//
// Time-outs (0 = unlimited), measured by the transfer itself with millisecond precision:
//  - resolve: from the start of each hop until the host (or proxy) name is resolved;
//  - connect: from then until the connection carries its first byte;
//  - send: the longest time without any byte moving while the request is still being sent;
//  - receive: the longest time without any byte moving once the request is out.
// Send and receive therefore limit stalls, not the length of the whole transfer. Any of them
// running out fails the transfer with kTimeout.
//
// Caps: the header section of one response (status line, header lines and trailers, counted in
// bytes as received) may not exceed maxHeaderBytes (else kHeaderSizeOverflow), nor may one of its
// lines exceed libcurl's own line buffer of 100 KiB (a line that never ends fails the same way);
// one response body may not exceed maxBodyBytes (else kResponseOverflow).
//
// Errors (WinHttpErrors.h): kNameNotResolved, kCannotConnect, kTimeout, kConnectionError (reset
// or connection closed before the response was complete, inside the header section included; no
// reply at all), kInvalidServerResponse (not an HTTP answer), kSecureFailure (TLS handshake,
// certificate check, no allowed TLS version), kClientCertificateNeeded (the client certificate
// file cannot be used), kRedirectFailed, kHeaderSizeOverflow, kResponseOverflow, kInternalError
// (anything else).
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/request/CurlHandles.h"
#include "platform/request/ProxyRoute.h"
#include "platform/request/RequestUrl.h"

namespace kelvaro::platform {

using TransferClock = std::chrono::steady_clock;

struct TransferTimeouts {
  std::chrono::milliseconds resolve{0};
  std::chrono::milliseconds connect{60000};
  std::chrono::milliseconds send{30000};
  std::chrono::milliseconds receive{30000};
};

struct TransferCredentials {
  std::string user;
  std::string password;
};

// TLS versions allowed, as 10 (TLS 1.0) to 13 (TLS 1.3); lowest > highest allows none, and every
// https request then fails with kSecureFailure.
struct TlsVersions {
  int lowest = 10;
  int highest = 13;
};

struct TransferRequest {
  std::string method = "GET";
  RequestUrl url;
  std::vector<std::pair<std::string, std::string>> headers;
  std::string userAgent;  // empty: no User-Agent unless the caller's headers hold one
  std::vector<std::uint8_t> body;
  TransferTimeouts timeouts;
  ProxySettings proxy;
  EnvironmentReader environment;  // for proxy setting 0; empty: the process environment
  bool followRedirects = true;
  int maxRedirects = 10;
  bool allowHttpsToHttpRedirects = false;
  std::size_t maxHeaderBytes = 64 * 1024;
  std::size_t maxBodyBytes = 64 * 1024 * 1024;
  std::optional<TransferCredentials> serverCredentials;
  std::optional<TransferCredentials> proxyCredentials;
  std::string clientCertificateFile;  // PEM file with certificate and key; empty: none
  bool verifyPeer = true;             // the server's certificate chain
  bool verifyHost = true;             // the server's name in its certificate
  TlsVersions tls;
  bool http11 = true;
};

struct TransferResponse {
  int status = 0;
  std::string statusText;  // the reason phrase, as received
  std::string headers;     // header lines as received, each ending in CR LF
  std::vector<std::uint8_t> body;
  std::string url;  // the URL of the final response
};

// What a request object keeps from one transfer to the next: the multi handle, whose cache holds
// the connections left open, and the easy handle, which each transfer configures afresh.
struct CurlConnections {
  CurlMulti multi;
  CurlEasy easy;
};

class HttpTransfer {
 public:
  // Prepares the transfer; nothing moves until the first Drive. Given `connections`, handles that
  // outlive the transfer (and are used by one transfer at a time), the transfer runs on them: it
  // may reuse a connection that an earlier transfer left open there (same scheme, host and port,
  // same proxy, same TLS settings; one the server closed meanwhile is not reused, and a request
  // that finds its reused connection dead is sent once more on a new one), and once complete it
  // leaves its own connection open there for the next. Without, it runs on handles of its own,
  // closed with it.
  explicit HttpTransfer(TransferRequest request, CurlConnections* connections = nullptr);
  // Stops the transfer wherever it is; a connection it had not finished with is closed.
  ~HttpTransfer();
  HttpTransfer(const HttpTransfer&) = delete;
  HttpTransfer& operator=(const HttpTransfer&) = delete;

  // Lets the transfer progress until it ends or `until` passes (std::nullopt: until it ends; a
  // time already past: one step without waiting). Returns Finished().
  bool Drive(std::optional<TransferClock::time_point> until);

  bool Finished() const { return finished_; }
  // After Finished(): 0 on success, else the error number (see above).
  std::int32_t error() const { return error_; }
  // After Finished() with error 0: the final response.
  const TransferResponse& response() const { return response_; }

 private:
  struct HopProgress {
    TransferClock::time_point start;
    std::optional<TransferClock::time_point> resolvedAt;
    bool connected = false;
    TransferClock::time_point lastActivity;
    std::size_t bodySize = 0;  // the body this hop sends (0 when it sends none)
    bool headersOut = false;
    std::size_t bodyOut = 0;  // bytes sent after the last request head
    bool inSinceHeadersOut = false;
    bool inHeaderSection = false;
    std::size_t headerBytes = 0;
  };

  static std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* self);
  static std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* self);
  static int OnDebug(CURL* easy, curl_infotype type, char* data, std::size_t size, void* self);
  static curl_socket_t OnOpenSocket(void* self, curlsocktype purpose, curl_sockaddr* address);

  CURLM* Multi() const { return (shared_ != nullptr ? shared_->multi : own_.multi).get(); }
  CURL* Easy() const { return (shared_ != nullptr ? shared_->easy : own_.easy).get(); }
  bool StartHop();
  bool ConfigureHop();
  void OnHopDone(CURLcode result);
  std::optional<TransferClock::time_point> PhaseDeadline() const;
  void Finish(std::int32_t error);
  void Activity();

  // Declared so that what the easy handle points at (request body, header list) outlives the
  // handles of its own. A shared easy handle still points there after the transfer is gone; libcurl
  // reads those only while a transfer runs, and the next transfer sets every option anew.
  TransferRequest request_;
  RequestUrl originalUrl_;
  int redirects_ = 0;
  CurlSlist headerList_;
  CurlConnections* shared_;  // the caller's handles, or null
  CurlConnections own_;      // made by the first Drive when there are no shared ones
  bool inMulti_ = false;
  bool started_ = false;
  bool finished_ = false;
  std::int32_t error_ = 0;
  std::int32_t callbackError_ = 0;  // set by a callback that stopped the transfer
  HopProgress hop_;
  TransferResponse response_;
};

// The request object's error number for a libcurl result (CURLE_OK gives 0).
std::int32_t WinHttpErrorForCurl(CURLcode code);

}  // namespace kelvaro::platform
