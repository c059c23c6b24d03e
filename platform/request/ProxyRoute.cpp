#include "platform/request/ProxyRoute.h"
#include "platform/request/AsciiCase.h"

#include <algorithm>
#include <vector>

namespace kelvaro::platform {

namespace {

std::vector<std::string_view> SplitOn(std::string_view text, std::string_view separators) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t end = std::min(text.find_first_of(separators, start), text.size());
    if (end > start) parts.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

// "*" matches any run of characters; letter case is ignored.
bool GlobMatches(std::string_view pattern, std::string_view text) {
  std::size_t p = 0;
  std::size_t t = 0;
  std::size_t starAt = std::string_view::npos;
  std::size_t resumeAt = 0;
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starAt = p++;
      resumeAt = t;
    } else if (p < pattern.size() && AsciiLower(pattern[p]) == AsciiLower(text[t])) {
      ++p;
      ++t;
    } else if (starAt != std::string_view::npos) {
      p = starAt + 1;
      t = ++resumeAt;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

std::string WithScheme(std::string_view server) {
  if (server.find("://") != std::string_view::npos) return std::string(server);
  return "http://" + std::string(server);
}

std::string FirstSetVariable(const EnvironmentReader& environment, const char* lower,
                             const char* upper) {
  for (const char* name : {lower, upper}) {
    const char* value = environment(name);
    if (value != nullptr && *value != '\0') return value;
  }
  return {};
}

std::string NamedProxyFor(std::string_view serverList, std::string_view scheme) {
  std::string plain;
  for (const std::string_view entry : SplitOn(serverList, "; \t\r\n")) {
    const std::size_t equals = entry.find('=');
    if (equals == std::string_view::npos) {
      if (plain.empty()) plain = WithScheme(entry);
      continue;
    }
    std::string entryScheme(entry.substr(0, equals));
    for (char& c : entryScheme) c = AsciiLower(c);
    if (entryScheme == scheme && equals + 1 < entry.size()) {
      return WithScheme(entry.substr(equals + 1));
    }
  }
  return plain;
}

}  // namespace

bool HostMatchesBypassList(std::string_view host, std::string_view bypassList) {
  for (const std::string_view entry : SplitOn(bypassList, ";, \t\r\n")) {
    if (entry == "<local>") {
      if (host.find('.') == std::string_view::npos) return true;
    } else if (GlobMatches(entry, host)) {
      return true;
    }
  }
  return false;
}

ProxyRoute ChooseProxyRoute(const ProxySettings& settings, std::string_view scheme,
                            std::string_view host, const EnvironmentReader& environment) {
  switch (settings.setting) {
    case 0: {
      ProxyRoute route;
      route.proxy = scheme == "https" ? FirstSetVariable(environment, "https_proxy", "HTTPS_PROXY")
                                      : FirstSetVariable(environment, "http_proxy", "HTTP_PROXY");
      if (!route.proxy.empty())
        route.noProxy = FirstSetVariable(environment, "no_proxy", "NO_PROXY");
      return route;
    }
    case 2:
      if (HostMatchesBypassList(host, settings.bypass)) return {};
      return ProxyRoute{NamedProxyFor(settings.server, scheme), {}};
    default:
      return {};
  }
}

}  // namespace kelvaro::platform
