// HttpClient: the system's only HTTP client.
//
// One client drives one HTTP request automation object (ProgID "WinHttp.WinHttpRequest.5.1")
// late-bound, by member name, and adds browser-like default request headers: unless the caller set
// them for the current request, every request carries Accept, Accept-Language, Referer (the URL of
// the request's own Open) and User-Agent, and a POST request also Content-Type.
//
// Conventions:
//  - Optional arguments are std::optional: std::nullopt means "not given". An operation substitutes
//    its stated default only for an argument not given; without a stated default an omitted
//    argument counts as the empty text, 0 or false.
//  - No operation reports a failure: a failed component call leaves the client's own fields as the
//    operation set them, a value read from a failed call is the empty value of its kind, and the
//    failure shows only through LastError().
//  - Texts are taken by const reference and never changed, except Open's `url` and both arguments
//    of MergeCookies, which are written back.
//  - One thread: the client is used from the thread that constructed it.
//
// The operations are virtual and stand in their fixed order; keep it when adding to the class.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "platform/automation/ObjectRef.h"
#include "platform/automation/Variant.h"
#include "text/Text.h"

namespace kelvaro {

using platform::Bytes;
using platform::ObjectRef;
using platform::Variant;

// The client's record, field by field in its fixed order.
struct HttpClientRecord {
  ObjectRef request;                // the request object, or empty
  std::int32_t defaultsEnabled = 0; // default headers are active only while this equals 1
  std::int32_t refererSet = 0;      // Referer already set for the current request
  Text referer;                     // URL of the last Open made while defaults were active
  std::int32_t acceptSet = 0;
  Text accept;
  std::int32_t acceptLanguageSet = 0;
  Text acceptLanguage;
  std::int32_t userAgentSet = 0;
  Text userAgent;
  std::int32_t isPost = 0;          // the current request's method is POST
  std::int32_t contentTypeSet = 0;
  Text contentType;                 // sent only for POST
};

class HttpClient {
 public:
  // Initialises COM for the calling thread (CoInitialize), creates the request object (the client
  // stays usable without one; every component call then fails with the no-object outcome) and
  // switches the defaults on (ResetDefaults).
  HttpClient();
  HttpClient(const HttpClient&) = delete;
  HttpClient& operator=(const HttpClient&) = delete;

  // Releases the request object and ends the COM initialisation that this instance began.
  virtual ~HttpClient();

  // A new client sharing the same request object, with copies of every other field. A clone
  // begins no COM initialisation and so ends none when destroyed: only the constructed instance
  // pairs CoInitialize with CoUninitialize, so the thread's COM nesting stays balanced however
  // many clones come and go.
  virtual std::unique_ptr<HttpClient> Clone() const;

  // Switches defaults on and stores Accept "*/*", Accept-Language "zh-cn", the User-Agent
  // "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)" and Content-Type
  // "application/x-www-form-urlencoded". Flags, isPost and the Referer stay as they are.
  virtual void ResetDefaults();
  // Stores `enabled` (true when not given) as 1 or 0; nothing else changes.
  virtual void SetDefaultsEnabled(std::optional<bool> enabled = std::nullopt);

  // Creates the request object when none is held (true), or keeps the held one (true);
  // false when creation failed, leaving `request` unchanged.
  virtual bool CreateObject();
  // Releases the request object; `request` is empty afterwards.
  virtual void ClearObject();
  // ClearObject, then CreateObject.
  virtual void RecreateObject();
  // True exactly when no request object is held.
  virtual bool IsObjectEmpty() const;
  // A new reference to the held object (empty if none).
  virtual ObjectRef GetObject() const;
  // Holds `object` (a new share of it) instead of the current one.
  virtual void SetObject(const ObjectRef& object);
  // The text for the outcome of the calling thread's most recent automation call: empty after a
  // success, otherwise one of the fixed texts in code page 936.
  virtual Text LastError() const;

  // Response access; each value is new and owned by the caller.
  virtual std::int32_t Status();
  virtual Text StatusText();
  virtual Text ResponseText();
  virtual Bytes ResponseBody();
  // The body's bytes before the first zero byte, unconverted.
  virtual Text ResponseBodyText();
  // The body decoded from UTF-8 into code page 936 (DecodeBytes with "UTF-8").
  virtual Text ResponseBodyUtf8();
  virtual Variant ResponseStream();

  // Component option 6, automatic redirects; true when not given.
  virtual void EnableRedirects(std::optional<bool> enable = std::nullopt);
  // Milliseconds; each omitted value takes its own default: 10000, 20000, 30000, 60000.
  virtual void SetTimeouts(std::optional<std::int32_t> resolve = std::nullopt,
                           std::optional<std::int32_t> connect = std::nullopt,
                           std::optional<std::int32_t> send = std::nullopt,
                           std::optional<std::int32_t> receive = std::nullopt);
  // Setting 2 when not given; an omitted bypass list goes out as the empty text.
  virtual void SetProxy(std::optional<std::int32_t> setting, const Text& server,
                        const std::optional<Text>& bypass = std::nullopt);
  // Writes the first value given (integer, text, byte array, variant, in that order; a byte array
  // is handed over bare and so refused by the call boundary), then reads option `index` back.
  virtual Variant Option(std::int32_t index, std::optional<std::int32_t> intValue = std::nullopt,
                         const std::optional<Text>& textValue = std::nullopt,
                         const std::optional<Bytes>& bytesValue = std::nullopt,
                         const std::optional<Variant>& variantValue = std::nullopt);
  // Flags 0 when not given.
  virtual void SetCredentials(const Text& user, const Text& password,
                              std::optional<std::int32_t> flags = std::nullopt);
  virtual void SetClientCertificate(const Text& certificate);
  virtual void SetAutoLogonPolicy(std::int32_t policy);

  // Starts a request. `method` defaults to "GET", `async` to false. A `url` that does not begin
  // with the letters h, t, t, p (in any case) gets "http://" in front, written back into `url`.
  // With defaults on, clears the five set flags, recomputes isPost and stores `url` as Referer.
  virtual void Open(const std::optional<Text>& method, Text& url,
                    std::optional<bool> async = std::nullopt);
  // Emits the default headers still due (with defaults on), then sends the text body or none.
  virtual void Send(const std::optional<Text>& body = std::nullopt);
  // As Send, with a byte-array body (wrapped in a variant) or none.
  virtual void SendBytes(const std::optional<Bytes>& body = std::nullopt);
  // Seconds; an omitted time-out goes out as 0. False when the call failed.
  virtual bool WaitForResponse(std::optional<std::int32_t> timeout = std::nullopt);
  virtual void Abort();

  // Does nothing for an empty name. With defaults on and a non-empty value, a default header name
  // (any letter case) marks that header as set. The name goes out as written.
  virtual void SetRequestHeader(const Text& name, const Text& value);
  // As SetRequestHeader with the number 0 as the value (it arrives as the text "0"); marks a
  // default header as set whatever the value.
  virtual void SetRequestHeaderZero(const Text& name);
  virtual Text GetResponseHeader(const Text& name);
  virtual Text GetAllResponseHeaders();
  virtual void Noop();
  // Cookies of the last response; see http/CookieTexts.h for the rules.
  virtual Text CookieValue(const Text& name);
  virtual Text CollectSetCookies();
  // GetResponseHeader("Location").
  virtual Text Location();

  // Default setters: an omitted value becomes the stored value; with defaults on, a non-empty value
  // marks the header as set and becomes the stored default. The header is sent in every case.
  virtual void SetAccept(const std::optional<Text>& value = std::nullopt);
  virtual void SetUserAgent(const std::optional<Text>& value = std::nullopt);
  virtual void SetReferer(const std::optional<Text>& value = std::nullopt);
  virtual void SetContentType(const std::optional<Text>& value = std::nullopt);
  // Fixed header groups; they neither read nor change the record.
  virtual void SetCookie(const Text& value);
  virtual void SetClientAddress(const Text& address);
  virtual void SetRequestedWith();
  // Merges two cookie texts; see MergeCookieTexts in http/CookieTexts.h. Writes back both.
  virtual Text MergeCookies(Text& oldCookies, Text& newCookies);

  // The record, for inspection.
  const HttpClientRecord& record() const { return record_; }

 private:
  struct CloneTag {};
  HttpClient(CloneTag, const HttpClient& original);

  void SendDefaultHeaders();
  void SetDefaultHeader(const char* name, std::int32_t& flag, Text& stored,
                        const std::optional<Text>& value);
  void MarkDefaultHeaderSet(const Text& name);

  HttpClientRecord record_;
  // Whether this instance called CoInitialize (the constructed one) or not (a clone).
  bool endsComInitialization_ = false;
};

// Decodes `bytes` in the named charset ("UTF-8" when not given; a given empty name is used as
// given) into code page 936 through a fresh charset stream object: characters the code page lacks
// become "?" and the text ends before the first NUL character. The empty text when the bytes are
// empty or the conversion fails.
Text DecodeBytes(const Bytes& bytes, const std::optional<Text>& charset = std::nullopt);

}  // namespace kelvaro
