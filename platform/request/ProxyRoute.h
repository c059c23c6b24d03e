// Chooses the proxy for one request from the object's proxy setting.
//
// Settings (the values SetProxy takes):
//  - 0 (pre-configured, the default): the system's configuration, which here is the standard
//    environment: http_proxy, then HTTP_PROXY, for http URLs; https_proxy, then HTTPS_PROXY, for
//    https URLs; no_proxy, then NO_PROXY, as libcurl's bypass list (comma-separated host names or
//    domain suffixes, "*" for all). The environment is read at each call, that is at Send time.
//    all_proxy is not consulted. An unset or empty variable means a direct connection.
//  - 1 (direct): never a proxy, whatever the environment says.
//  - 2 (named proxy): `server` is a list of entries separated by ";" or white space, each either
//    "host[:port]" (for every scheme) or "scheme=host[:port]" (for that scheme alone); the entry
//    for the URL's scheme wins over a plain one, and no matching entry means direct. An entry may
//    carry its own "http://" prefix. `bypass` lists host patterns separated by ";", "," or white
//    space: "*" matches any run of characters, letter case is ignored, and "<local>" matches
//    every host name without a dot. A host that matches goes direct.
//  - Any other setting is refused by the object before it gets here; it counts as direct.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace kelvaro::platform {

struct ProxySettings {
  std::int32_t setting = 0;
  std::string server;
  std::string bypass;
};

// What libcurl is given: `proxy` empty means direct; `noProxy` is libcurl's bypass list.
struct ProxyRoute {
  std::string proxy;
  std::string noProxy;

  friend bool operator==(const ProxyRoute&, const ProxyRoute&) = default;
};

// Reads one environment variable; nullptr when unset.
using EnvironmentReader = std::function<const char*(const char* name)>;

ProxyRoute ChooseProxyRoute(const ProxySettings& settings, std::string_view scheme,
                            std::string_view host, const EnvironmentReader& environment);

// Whether `host` matches the bypass list by the rules of setting 2.
bool HostMatchesBypassList(std::string_view host, std::string_view bypassList);

}  // namespace kelvaro::platform
