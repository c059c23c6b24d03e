#include "platform/request/RequestUrl.h"
#include "platform/request/AsciiCase.h"

#include <algorithm>
#include <cctype>

#include "platform/request/WinHttpErrors.h"

namespace kelvaro::platform {

namespace {

unsigned char Byte(char c) {
  return static_cast<unsigned char>(c);
}

bool IsControlOrSpace(char c) {
  return Byte(c) <= 0x20 || Byte(c) == 0x7F;
}

bool IsSchemeChar(char c) {
  return std::isalnum(Byte(c)) != 0 || c == '+' || c == '-' || c == '.';
}

// Bytes above 0x7F are refused too: the host also goes raw into the Host header, so a host name
// in another script has to be given in its ASCII form.
bool IsForbiddenInHost(char c) {
  return IsControlOrSpace(c) || Byte(c) >= 0x80 ||
         std::string_view("\"%<>\\^`{|}").find(c) != std::string_view::npos;
}

void AppendEscaped(std::string& out, char c) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  out += '%';
  out += kHex[Byte(c) >> 4];
  out += kHex[Byte(c) & 0x0F];
}

// Userinfo keeps its bytes, except that bytes above 0x7F become %XX (decoded again for the
// credentials), so that the URL stays ASCII.
std::string EscapeUserinfo(std::string_view userinfo) {
  std::string out;
  out.reserve(userinfo.size());
  for (const char c : userinfo) {
    if (Byte(c) >= 0x80) {
      AppendEscaped(out, c);
    } else {
      out += c;
    }
  }
  return out;
}

// Escapes one part (path or query) by the rules in the header.
std::string EscapePart(std::string_view part, bool escapeUnsafe, bool escapePercent) {
  std::string out;
  out.reserve(part.size());
  for (const char c : part) {
    const bool unsafe = Byte(c) >= 0x80 || c == '"' || c == '<' || c == '>';
    if (IsControlOrSpace(c) || (escapeUnsafe && unsafe) || (escapePercent && c == '%')) {
      AppendEscaped(out, c);
    } else {
      out += c;
    }
  }
  return out;
}

// Parses "1".."65535"; 0 for anything else.
int ParsePort(std::string_view digits) {
  if (digits.empty() || digits.size() > 5) return 0;
  int port = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return 0;
    port = port * 10 + (c - '0');
  }
  return port <= 65535 ? port : 0;
}

RequestUrlResult Failure(std::int32_t error) {
  return RequestUrlResult{error, {}};
}

}  // namespace

RequestUrlResult PrepareRequestUrl(std::string_view url, const UrlEscaping& escaping) {
  // Scheme: the letters before the first ":", which must come before any "/", "?" or "#".
  const std::size_t colon = url.find(':');
  const std::size_t firstDelimiter = url.find_first_of("/?#");
  if (colon == std::string_view::npos || colon == 0 || firstDelimiter < colon) {
    return Failure(winhttp::kUnrecognisedScheme);
  }
  const std::string_view schemeText = url.substr(0, colon);
  if (!std::all_of(schemeText.begin(), schemeText.end(), IsSchemeChar)) {
    return Failure(winhttp::kUnrecognisedScheme);
  }
  const std::string scheme = AsciiLowered(schemeText);
  if (scheme != "http" && scheme != "https") return Failure(winhttp::kUnrecognisedScheme);

  std::string_view rest = url.substr(colon + 1);
  if (rest.substr(0, 2) != "//") return Failure(winhttp::kInvalidUrl);
  rest.remove_prefix(2);
  // The fragment is never sent.
  rest = rest.substr(0, rest.find('#'));

  const std::size_t authorityEnd = std::min(rest.find_first_of("/?"), rest.size());
  const std::string_view authority = rest.substr(0, authorityEnd);
  const std::string_view pathAndQuery = rest.substr(authorityEnd);

  std::string_view userinfo;
  std::string_view hostPort = authority;
  const std::size_t at = authority.rfind('@');
  if (at != std::string_view::npos) {
    userinfo = authority.substr(0, at);
    hostPort = authority.substr(at + 1);
    if (std::any_of(userinfo.begin(), userinfo.end(), IsControlOrSpace)) {
      return Failure(winhttp::kInvalidUrl);
    }
  }

  std::string_view host;
  std::string_view portText;
  bool hasPort = false;
  if (!hostPort.empty() && hostPort.front() == '[') {
    const std::size_t close = hostPort.find(']');
    if (close == std::string_view::npos) return Failure(winhttp::kInvalidUrl);
    host = hostPort.substr(0, close + 1);
    const std::string_view after = hostPort.substr(close + 1);
    if (!after.empty()) {
      if (after.front() != ':') return Failure(winhttp::kInvalidUrl);
      hasPort = true;
      portText = after.substr(1);
    }
    // Between the brackets: hex digits, ":" and "." only.
    const std::string_view inside = host.substr(1, host.size() - 2);
    if (inside.empty() ||
        inside.find_first_not_of("0123456789abcdefABCDEF:.") != std::string_view::npos) {
      return Failure(winhttp::kInvalidUrl);
    }
  } else {
    const std::size_t portColon = hostPort.find(':');
    host = hostPort.substr(0, portColon);
    if (portColon != std::string_view::npos) {
      hasPort = true;
      portText = hostPort.substr(portColon + 1);
    }
    if (std::any_of(host.begin(), host.end(), IsForbiddenInHost)) {
      return Failure(winhttp::kInvalidUrl);
    }
  }
  if (host.empty()) return Failure(winhttp::kInvalidUrl);

  const int defaultPort = scheme == "https" ? 443 : 80;
  int port = defaultPort;
  if (hasPort && !portText.empty()) {
    port = ParsePort(portText);
    if (port == 0) return Failure(winhttp::kInvalidUrl);
  }

  const std::size_t question = pathAndQuery.find('?');
  const std::string_view path = pathAndQuery.substr(0, question);
  RequestUrl result;
  result.scheme = scheme;
  result.host = AsciiLowered(host);
  result.port = port;
  result.url = scheme + "://";
  if (at != std::string_view::npos) {
    result.url += EscapeUserinfo(userinfo);
    result.url += '@';
  }
  result.url += result.host;
  if (port != defaultPort) result.url += ':' + std::to_string(port);
  result.url += path.empty() ? std::string("/")
                             : EscapePart(path, escaping.escapePath, escaping.escapePercent);
  if (question != std::string_view::npos) {
    result.url += '?';
    result.url += EscapePart(pathAndQuery.substr(question + 1),
                             escaping.escapePath && escaping.escapeQuery, escaping.escapePercent);
  }
  return RequestUrlResult{winhttp::kSuccess, std::move(result)};
}

}  // namespace kelvaro::platform
