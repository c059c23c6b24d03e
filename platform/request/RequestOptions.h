// The settings behind the request object's indexed Option property, by option number.
// Each entry: number, name (kind, default): what it does here.
//
//  0 UserAgentString (string, kDefaultUserAgent): sent as User-Agent unless a User-Agent request
//    header is set.
//  1 URL (string, read only): the URL of the final response, else the URL of Open, else "".
//  2 URLCodePage (int, 65001): the code page the next Open converts the URL to; only code pages
//    the converter knows are accepted.
//  3 EscapePercentInURL (bool, false): every "%" of path and query is escaped as %25 (next Open).
//  4 SslErrorIgnoreFlags (int, 0): 0x0100 unknown authority, 0x0200 date invalid and 0x1000
//    wrong usage each turn the certificate chain check off as a whole (the TLS library cannot
//    waive them one by one); 0x2000 turns the name check off. Other bits are refused.
//  5 SelectCertificate (bool, true): stored only.
//  6 EnableRedirects (bool, true): redirects are followed.
//  7 UrlEscapeDisable (bool, false): path and query keep bytes above 0x7F and " < > (next
//    Open); libcurl still escapes bytes above 0x7F in the path, as %xx in lower case.
//  8 UrlEscapeDisableQuery (bool, false): the query alone keeps them.
//  9 SecureProtocols (int, 0x2A80): allowed TLS versions, 0x0080 TLS 1.0, 0x0200 TLS 1.1,
//    0x0800 TLS 1.2, 0x2000 TLS 1.3; every version from the lowest to the highest set bit is
//    allowed. 0x0008 SSL 2 and 0x0020 SSL 3 are accepted but never offered; with no TLS bit,
//    every https request fails. Other bits are refused.
// 10 EnableTracing (bool, false): stored only.
// 11 RevertImpersonationOverSsl (bool, true): stored only (there is no impersonation here).
// 12 EnableHttpsToHttpRedirects (bool, false): a redirect from https to http is followed; when
//    false, its 3xx answer is the final response.
// 13 EnablePassportAuthentication (bool, false): stored only.
// 14 MaxAutomaticRedirects (int, 10): redirects followed at most; 0 or more.
// 15 MaxResponseHeaderSize (int, 65536): bytes one response's header section may hold; above 0.
// 16 MaxResponseDrainSize (int, 1048576): stored only, above 0; the bodies of redirect answers
//    are read under the response body cap instead.
// 17 EnableHttp1_1 (bool, true): HTTP/1.1, else HTTP/1.0.
// 18 EnableCertificateRevocationCheck (bool, false): stored only; the TLS library checks no
//    revocation lists here.
//
// Reading gives an Int32, Bool or String variant as listed. Writing coerces the value to the
// option's kind (a value that does not convert fails with the TypeMismatch outcome); an unknown
// index, a write to option 1, an out-of-range value or an unknown code page fails with error
// kInvalidParameter. A user agent holding a control character is refused the same way.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/automation/Variant.h"
#include "platform/request/HttpTransfer.h"

namespace kelvaro::platform {

inline constexpr char16_t kDefaultUserAgent[] =
    u"Mozilla/4.0 (compatible; Win32; WinHttp.WinHttpRequest.5)";

class RequestOptions {
 public:
  static constexpr std::int32_t kCount = 19;

  RequestOptions();

  // Option `index` as a variant; `url` is the value option 1 shows. Throws AutomationError
  // (kInvalidParameter) for an unknown index.
  Variant Get(std::int32_t index, const std::string& url) const;
  // Writes option `index` by the rules above; throws AutomationError on refusal, leaving the
  // option unchanged.
  void Put(std::int32_t index, const Variant& value);

  const std::u16string& userAgent() const { return userAgent_; }
  std::int32_t urlCodePage() const { return ints_[2]; }
  bool escapePercent() const { return bools_[3]; }
  bool redirects() const { return bools_[6]; }
  bool escapeDisable() const { return bools_[7]; }
  bool escapeDisableQuery() const { return bools_[8]; }
  bool httpsToHttpRedirects() const { return bools_[12]; }
  std::int32_t maxRedirects() const { return ints_[14]; }
  std::int32_t maxHeaderSize() const { return ints_[15]; }
  bool http11() const { return bools_[17]; }
  bool verifyPeer() const { return (ints_[4] & 0x1300) == 0; }
  bool verifyHost() const { return (ints_[4] & 0x2000) == 0; }
  TlsVersions tlsVersions() const;

 private:
  std::u16string userAgent_;
  // Indexed by option number; only the entries of each option's own kind are used.
  std::array<std::int32_t, kCount> ints_{};
  std::array<bool, kCount> bools_{};
};

}  // namespace kelvaro::platform
