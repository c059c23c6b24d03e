// The HTTP request automation object, ProgID "WinHttp.WinHttpRequest.5.1", over libcurl
// (HttpTransfer.h). Callers reach it through the call boundary by member name, letter case
// ignored. Errors are raised as AutomationError with the numbers of WinHttpErrors.h, so the caller
// sees the Exception outcome and gets the empty value of the kind it asked for.
//
// Members and parameter kinds:
//   Open(Method: String, Url: String, Async: optional Variant)
//       Prepares a new request; Async converts to a boolean (omitted or empty: false). Cancels a
//       request still running, forgets the last response, the request headers and credentials
//       (options, time-outs, proxy and client certificate stay). Method: an HTTP token, sent as
//       written (else 87). Url: converted to the URL code page (option 2) and escaped by the rules
//       of RequestUrl.h with options 3, 7 and 8; 12005 / 12006 for a URL that is no http/https
//       URL (the object is then not open).
//   SetRequestHeader(Header: String, Value: String)
//       After Open (else 12019), not while an asynchronous Send runs (12019). The name must be an
//       HTTP token and the value may hold no control character but tab (else 12153: a CR, LF or
//       NUL never reaches the wire). Spaces around the value are dropped; the value goes out as
//       UTF-8. Setting a name again (letter case ignored) replaces the value in its first place;
//       an empty value removes the header. Set headers go out in the order first set, right after
//       Host. Applies to the next Send.
//   Send(Body: optional Variant)
//       After Open (else 12019), not while an asynchronous Send runs (12019). Body: omitted or
//       empty - none; a string - its UTF-8 bytes; a byte array - as is; a number or boolean - its
//       text; an object - TypeMismatch outcome. No Content-Type is added. Synchronous: returns
//       when the whole response is in, or raises the transfer's error. Asynchronous: starts the
//       request and returns at once. Send may be called again after a completed request: the
//       same request goes out anew.
//   WaitForResponse(Timeout: optional Variant) As Bool
//       Seconds (fractions allowed, millisecond precision); omitted, empty or -1: no limit; other
//       negative values: 87. True when the response is complete (at once for a synchronous one),
//       false when the time ran out; the request keeps going. A request that failed raises its
//       error here. Before any Send: 12019.
//   Abort()
//       Cancels a running asynchronous request (its connection is closed); the object stays open
//       and may Send again. Without a running request: nothing.
//   SetTimeouts(ResolveTimeout, ConnectTimeout, SendTimeout, ReceiveTimeout: Int32)
//       Milliseconds; 0 or -1 unlimited; below -1: 87. Defaults: unlimited, 60000, 30000, 30000.
//       Send and receive limit stalls (no byte moving for that long), not whole transfers.
//       Applies from the next Send.
//   SetProxy(ProxySetting: Int32, ProxyServer: optional Variant, BypassList: optional Variant)
//       0 the system's configuration (the http_proxy, https_proxy, no_proxy environment, read at
//       each Send), 1 direct, 2 the named server and bypass list (formats in ProxyRoute.h); any
//       other setting: 87. Server and list are converted to strings.
//   SetCredentials(UserName: String, Password: String, Flags: Int32)
//       After Open (else 12019). Flags 0: for the server, 1: for the proxy; else 87. Used when the
//       server (proxy) asks for authentication (Basic, Digest, NTLM, Negotiate as libcurl
//       offers); server credentials are not sent to another host a redirect leads to. Until the
//       next Open.
//   SetClientCertificate(ClientCertificate: String)
//       The client certificate for https: here the path of a PEM file holding certificate and
//       private key (there is no certificate store); empty: none. A file that cannot be used
//       fails the next https Send with 12044. Kept across Open.
//   SetAutoLogonPolicy(AutoLogonPolicy: Int32)
//       0, 1 or 2 (else 87); stored only: there are no logged-on user's credentials to send.
//   GetResponseHeader(Header: String) As String
//       The value of the first response header of that name (letter case ignored), spaces
//       around it removed; 12150 when there is none.
//   GetAllResponseHeaders() As String
//       The final response's header lines as received, each ending in CR LF, without the status
//       line and without the empty line that ended them.
//   Status As Int32, StatusText As String (the reason phrase as received)
//   ResponseText As String     the body decoded by Charsets.h DecodeResponseText
//   ResponseBody As Variant    the body as a byte array; the empty value when there is no body
//   ResponseStream As Variant  a ResponseBodyStream object (ResponseBodyStream.h) over a copy of
//                              the body
//   Option(Option: Int32) As Variant, read and write: see RequestOptions.h.
//
// Response members (GetResponseHeader to ResponseStream) need a completed response: before any
// Send, after an aborted or failed one, or after Open, they raise 12019; while an asynchronous
// request is still running, kPending (the platform's "not yet available" status). The error of a
// failed asynchronous request is raised once, by the first WaitForResponse or response member
// that finds it. Header texts are decoded by DecodeHeaderText (Charsets.h).
//
// Asynchronous requests: the transfer moves only inside this object's member calls. Send starts
// it; WaitForResponse lets it run for the time given; the response members and every other
// member call give it one step without waiting. Nothing runs in the background, so no thread
// other than the owner's ever touches the object, and a request nobody waits for stalls (its
// time-outs still count, and are checked on the next call).
//
// Limits: one response body may hold at most kMaxResponseBodyBytes (64 MiB) and one header
// section at most option 15's size; past them the request fails with 12184 / 12183 instead of
// growing without bound. Redirects: see HttpTransfer.h, with options 6, 12 and 14.
// Connections: a connection a completed request leaves open stays with the object, and later
// requests to the same scheme, host and port through the same proxy reuse it, as a browser keeps
// its connections alive (one the server has closed meanwhile is replaced by a new one). A request
// that is aborted, fails or is cancelled by Open closes its connection; releasing the object
// closes the rest.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "platform/automation/AutomationObject.h"
#include "platform/request/HttpTransfer.h"
#include "platform/request/RequestOptions.h"

namespace kelvaro::platform {

inline constexpr char kWinHttpRequestProgId[] = "WinHttp.WinHttpRequest.5.1";

class WinHttpRequest final : public AutomationObject {
 public:
  static constexpr std::size_t kMaxResponseBodyBytes = 64 * 1024 * 1024;

  WinHttpRequest() = default;
  ~WinHttpRequest() override = default;

  std::span<const Member> Members() const override;
  Variant Invoke(const Member& member, const Arguments& arguments) override;

 private:
  enum class State { Created, Opened, Sending, Completed };

  void Open(const Arguments& arguments);
  void SetRequestHeader(const Arguments& arguments);
  void Send(const Arguments& arguments);
  bool WaitForResponse(const Arguments& arguments);
  void Abort();
  void SetTimeouts(const Arguments& arguments);
  void SetProxy(const Arguments& arguments);
  void SetCredentials(const Arguments& arguments);
  std::u16string GetResponseHeader(const Arguments& arguments);

  TransferRequest BuildTransferRequest() const;
  // Lets a running transfer move until it ends or `until` passes (std::nullopt: until it ends)
  // and takes its outcome when it ended: the response, or the error kept in failedError_ for the
  // next member that needs the response. Raises nothing.
  void Advance(std::optional<TransferClock::time_point> until);
  // The completed response; raises 12019 / kPending otherwise.
  const TransferResponse& RequireResponse();

  State state_ = State::Created;
  RequestOptions options_;
  TransferTimeouts timeouts_;
  ProxySettings proxy_;
  std::string clientCertificate_;
  std::int32_t autoLogonPolicy_ = 0;

  // The request prepared by Open.
  std::string method_;
  RequestUrl url_;
  bool async_ = false;
  std::vector<std::pair<std::string, std::string>> headers_;
  std::optional<TransferCredentials> serverCredentials_;
  std::optional<TransferCredentials> proxyCredentials_;

  CurlConnections connections_;             // kept between requests; made by the first Send
  std::unique_ptr<HttpTransfer> transfer_;  // while State::Sending; runs on connections_
  TransferResponse response_;               // meaningful in State::Completed
  std::int32_t failedError_ = 0;            // a finished request's error not yet raised
};

// Registers the class under kWinHttpRequestProgId with the automation class registry. Start-up
// calls it once before creating objects; calling it again replaces the registration.
void RegisterWinHttpRequestClass();

}  // namespace kelvaro::platform
