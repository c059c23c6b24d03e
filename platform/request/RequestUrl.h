// Turns the URL given to Open (already in bytes of the URL code page) into the absolute URL the
// request is sent to.
//
// Accepted form: scheme "://" [userinfo "@"] host [":" port] [path] ["?" query] ["#" fragment]
//  - scheme: "http" or "https" in any letter case (written lower case in the result). A URL with
//    no scheme (no ":" before the first "/"), or with another scheme, gives kUnrecognisedScheme.
//  - "//" must follow the scheme's ":", the host must not be empty and may not hold a control
//    character, a space, a byte above 0x7F (a host name in another script must be given in its
//    ASCII form) or any of  " % < > \ ^ ` { | }  ; a port must be 1 to 65535 in decimal digits (an
//    empty port after ":" means the scheme's default). Otherwise kInvalidUrl.
//    IPv6 hosts are written in brackets. Userinfo holding a control character or space is
//    refused the same way; its bytes above 0x7F are written as %XX.
//  - The fragment ("#" and what follows, wherever the first "#" stands) is dropped: it is never
//    sent. An empty path becomes "/".
//
// Escaping of path and query (each unsafe byte becomes "%" and two upper-case hex digits):
//  - control bytes (0x00-0x1F, 0x7F) and the space are always escaped, whatever the options say,
//    so that nothing taken from a URL can put a raw CR, LF or NUL on the wire;
//  - bytes above 0x7F and  " < >  are escaped unless escaping is switched off for that part
//    (escapePath covers path and query, escapeQuery the query alone);
//  - "%" is kept as written (an existing %XX stays, a lone "%" is sent as it is), unless
//    escapePercent is set: then every "%" becomes %25;
//  - everything else ("+", "/", "?", "=", "&", ...) is kept.
// When escaping is switched off, bytes above 0x7F stay raw in the result; libcurl still escapes
// such bytes in the path when it sends the request (in lower-case hex), but not in the query.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kelvaro::platform {

struct UrlEscaping {
  bool escapePath = true;      // false: path and query keep bytes above 0x7F and " < >
  bool escapeQuery = true;     // false: the query alone keeps them
  bool escapePercent = false;  // true: every "%" becomes %25
};

struct RequestUrl {
  std::string scheme;  // "http" or "https"
  std::string host;    // as written, lower-cased; IPv6 in brackets
  int port = 0;        // the explicit port, or 80 / 443
  std::string url;     // the absolute URL to send, without fragment; ASCII unless escaping is off
};

struct RequestUrlResult {
  std::int32_t error = 0;  // 0, kInvalidUrl or kUnrecognisedScheme (WinHttpErrors.h)
  RequestUrl url;          // meaningful only when error is 0
};

RequestUrlResult PrepareRequestUrl(std::string_view url, const UrlEscaping& escaping);

}  // namespace kelvaro::platform
