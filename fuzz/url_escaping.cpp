// Fuzzes the request object's URL preparation and escaping (platform/request/RequestUrl.h): the
// absolute URL that goes on the wire for an arbitrary URL given to Open, or met as a redirect.
//
// Input: the last byte picks the mode and the three escaping switches (escapePath, escapeQuery,
// escapePercent).
//  - Raw mode (low bit clear): the rest of the input is the URL, bytes as they are (zero bytes
//    included).
//  - Assembled mode (low bit set): the URL is put together from parts taken from the front of
//    the input (a scheme chosen from a list, userinfo, host, port, path, query, fragment), with
//    the bytes that would move a part's boundary replaced, so the expected result is known.
//
// Checks on every accepted URL: scheme "http" or "https" with its default port or one within
// 1..65535; the URL starts with that scheme and "://", holds no control byte, space or "#", and
// no byte above 0x7F in scheme, userinfo, host or port, nor in path and query while their
// escaping is on; with escapePercent every "%" in path and query starts an upper-case %XX;
// preparing the prepared URL again changes nothing (without escapePercent). In assembled mode: a
// URL built from valid parts is accepted and gives exactly the expected URL, in which every byte of
// path and query is kept or written as %XX by the documented rules (so an existing valid %XX is
// kept), and userinfo keeps its bytes but those above 0x7F, which become %XX.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/FuzzSupport.h"
#include "platform/request/RequestUrl.h"
#include "platform/request/WinHttpErrors.h"

namespace {

using kelvaro::platform::PrepareRequestUrl;
using kelvaro::platform::RequestUrlResult;
using kelvaro::platform::UrlEscaping;

unsigned char Byte(char c) {
  return static_cast<unsigned char>(c);
}

bool IsControlOrSpace(char c) {
  return Byte(c) <= 0x20 || Byte(c) == 0x7F;
}

bool IsUpperHex(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

// The escaping of one part (path or query) as the rules state it.
std::string ExpectedEscape(std::string_view part, bool escapeUnsafe, bool escapePercent) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : part) {
    const bool unsafe = Byte(c) >= 0x80 || c == '"' || c == '<' || c == '>';
    if (IsControlOrSpace(c) || (escapeUnsafe && unsafe) || (escapePercent && c == '%')) {
      out += '%';
      out += kHex[Byte(c) >> 4];
      out += kHex[Byte(c) & 0x0F];
    } else {
      out += c;
    }
  }
  return out;
}

void CheckAccepted(const RequestUrlResult& result, const UrlEscaping& escaping) {
  const auto& prepared = result.url;
  const std::string_view url = prepared.url;
  KELVARO_FUZZ_CHECK(prepared.scheme == "http" || prepared.scheme == "https");
  KELVARO_FUZZ_CHECK(url.starts_with(prepared.scheme + "://"));
  KELVARO_FUZZ_CHECK(prepared.port >= 1 && prepared.port <= 65535);
  KELVARO_FUZZ_CHECK(!prepared.host.empty() && prepared.host == Lower(prepared.host));

  const std::size_t authorityStart = prepared.scheme.size() + 3;
  const std::size_t pathStart = std::min(url.find_first_of("/?", authorityStart), url.size());
  const std::size_t queryStart = std::min(url.find('?', pathStart), url.size());
  for (std::size_t i = 0; i < url.size(); ++i) {
    const char c = url[i];
    KELVARO_FUZZ_CHECK(!IsControlOrSpace(c));  // no raw CR, LF, NUL, space or other control byte
    KELVARO_FUZZ_CHECK(c != '#');
    if (Byte(c) >= 0x80) {
      // Raw bytes above 0x7F are left only where escaping was switched off for that part.
      KELVARO_FUZZ_CHECK(i >= pathStart);
      KELVARO_FUZZ_CHECK(i < queryStart ? !escaping.escapePath
                                        : !(escaping.escapePath && escaping.escapeQuery));
    }
    if (escaping.escapePercent && c == '%' && i >= pathStart) {
      KELVARO_FUZZ_CHECK(i + 2 < url.size() && IsUpperHex(url[i + 1]) && IsUpperHex(url[i + 2]));
    }
  }
  if (!escaping.escapePercent) {
    const RequestUrlResult again = PrepareRequestUrl(url, escaping);
    KELVARO_FUZZ_CHECK(again.error == kelvaro::platform::winhttp::kSuccess);
    KELVARO_FUZZ_CHECK(again.url.url == prepared.url);
  }
}

// A part with every byte of `boundaries` replaced by `stand-in`, so it cannot end early.
std::string Confined(std::string part, std::string_view boundaries, char standIn) {
  for (char& c : part) {
    if (boundaries.find(c) != std::string_view::npos) c = standIn;
  }
  return part;
}

bool ValidPort(std::string_view digits) {
  if (digits.empty()) return true;  // the scheme's default
  if (digits.size() > 5) return false;
  int port = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return false;
    port = port * 10 + (c - '0');
  }
  return port >= 1 && port <= 65535;
}

void FuzzAssembled(FuzzedDataProvider& in, const UrlEscaping& escaping) {
  static constexpr std::string_view kSchemes[] = {"http", "https", "HTTP", "hTTpS", "ftp", "http2"};
  const std::string_view scheme =
      kSchemes[in.ConsumeIntegralInRange<std::size_t>(0, std::size(kSchemes) - 1)];
  const bool hasUserinfo = in.ConsumeBool();
  const bool hasPort = in.ConsumeBool();
  const bool hasQuery = in.ConsumeBool();
  const bool hasFragment = in.ConsumeBool();
  const std::string userinfo = Confined(in.ConsumeRandomLengthString(16), "/?#@", 'u');
  const std::string host = Confined(in.ConsumeRandomLengthString(24), "/?#@:[]", 'h');
  const std::string port = Confined(in.ConsumeRandomLengthString(7), "/?#@", '0');
  const std::string path = Confined(in.ConsumeRandomLengthString(64), "?#", 'p');
  const std::string query = Confined(in.ConsumeRandomLengthString(64), "#", 'q');
  const std::string fragment = in.ConsumeRemainingBytesAsString();

  std::string url = std::string(scheme) + "://";
  if (hasUserinfo) url += userinfo + "@";
  url += host;
  if (hasPort) url += ":" + port;
  // A path part always begins with "/" (or is absent).
  const std::string pathPart = path.empty() ? std::string() : "/" + path;
  url += pathPart;
  if (hasQuery) url += "?" + query;
  if (hasFragment) url += "#" + fragment;

  const RequestUrlResult result = PrepareRequestUrl(url, escaping);
  const std::string lowerScheme = Lower(scheme);
  if (lowerScheme != "http" && lowerScheme != "https") {
    KELVARO_FUZZ_CHECK(result.error == kelvaro::platform::winhttp::kUnrecognisedScheme);
    return;
  }
  // Valid parts: a host without control bytes, spaces, bytes above 0x7F and the bytes
  //  " % < > \ ^ ` { | } ; userinfo without control bytes and spaces; a port of 1..65535 or none.
  bool hostValid =
      !host.empty() && host.find_first_of(std::string_view("\"%<>\\^`{|}")) == std::string::npos;
  for (const char c : host) hostValid = hostValid && !IsControlOrSpace(c) && Byte(c) < 0x80;
  bool userinfoValid = true;
  for (const char c : userinfo) userinfoValid = userinfoValid && !IsControlOrSpace(c);
  const bool valid = hostValid && (!hasUserinfo || userinfoValid) && (!hasPort || ValidPort(port));
  if (!valid) {
    KELVARO_FUZZ_CHECK(result.error == kelvaro::platform::winhttp::kInvalidUrl);
    return;
  }
  KELVARO_FUZZ_CHECK(result.error == kelvaro::platform::winhttp::kSuccess);
  CheckAccepted(result, escaping);

  const int defaultPort = lowerScheme == "https" ? 443 : 80;
  const int portNumber = hasPort && !port.empty() ? std::stoi(port) : defaultPort;
  std::string expected = lowerScheme + "://";
  if (hasUserinfo) {
    for (const char c : userinfo) {
      expected +=
          Byte(c) >= 0x80 ? ExpectedEscape(std::string(1, c), true, false) : std::string(1, c);
    }
    expected += "@";
  }
  expected += Lower(host);
  if (portNumber != defaultPort) expected += ":" + std::to_string(portNumber);
  expected += pathPart.empty()
                  ? std::string("/")
                  : ExpectedEscape(pathPart, escaping.escapePath, escaping.escapePercent);
  if (hasQuery) {
    expected += "?" + ExpectedEscape(query, escaping.escapePath && escaping.escapeQuery,
                                     escaping.escapePercent);
  }
  KELVARO_FUZZ_CHECK(result.url.url == expected);
  KELVARO_FUZZ_CHECK(result.url.port == portNumber);
  KELVARO_FUZZ_CHECK(result.url.host == Lower(host));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const auto mode = in.ConsumeIntegral<std::uint8_t>();
  const UrlEscaping escaping{(mode & 2) == 0, (mode & 4) == 0, (mode & 8) != 0};
  if ((mode & 1) != 0) {
    FuzzAssembled(in, escaping);
    return 0;
  }
  const std::string url = in.ConsumeRemainingBytesAsString();
  const RequestUrlResult result = PrepareRequestUrl(url, escaping);
  if (result.error == kelvaro::platform::winhttp::kSuccess) CheckAccepted(result, escaping);
  return 0;
}
