#include "platform/request/ProxyRoute.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace kelvaro::platform {
namespace {

EnvironmentReader Environment(std::map<std::string, std::string> variables) {
  return [variables = std::move(variables)](const char* name) -> const char* {
    const auto found = variables.find(name);
    return found == variables.end() ? nullptr : found->second.c_str();
  };
}

TEST(ProxyRouteTest, PreconfiguredSettingFollowsTheEnvironment) {
  struct Case {
    const char* name;
    std::map<std::string, std::string> environment;
    const char* scheme;
    ProxyRoute expected;
  };
  const Case cases[] = {
      {"nothing set", {}, "http", {}},
      {"http_proxy", {{"http_proxy", "http://p:3128"}}, "http", {"http://p:3128", ""}},
      {"HTTP_PROXY when lower case unset", {{"HTTP_PROXY", "p:1"}}, "http", {"p:1", ""}},
      {"lower case wins", {{"http_proxy", "a:1"}, {"HTTP_PROXY", "b:2"}}, "http", {"a:1", ""}},
      {"empty lower case falls through",
       {{"http_proxy", ""}, {"HTTP_PROXY", "b:2"}},
       "http",
       {"b:2", ""}},
      {"http_proxy not for https", {{"http_proxy", "a:1"}}, "https", {}},
      {"https_proxy", {{"https_proxy", "s:1"}, {"http_proxy", "a:1"}}, "https", {"s:1", ""}},
      {"HTTPS_PROXY", {{"HTTPS_PROXY", "s:2"}}, "https", {"s:2", ""}},
      {"all_proxy ignored", {{"all_proxy", "x:1"}, {"ALL_PROXY", "x:1"}}, "http", {}},
      {"no_proxy passed on",
       {{"http_proxy", "a:1"}, {"no_proxy", "example.com,.local"}},
       "http",
       {"a:1", "example.com,.local"}},
      {"NO_PROXY passed on", {{"http_proxy", "a:1"}, {"NO_PROXY", "*"}}, "http", {"a:1", "*"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ChooseProxyRoute(ProxySettings{0, "ignored:1", ""}, c.scheme, "example.com",
                               Environment(c.environment)),
              c.expected);
  }
}

TEST(ProxyRouteTest, DirectSettingIgnoresTheEnvironment) {
  const EnvironmentReader environment =
      Environment({{"http_proxy", "a:1"}, {"https_proxy", "a:1"}});
  EXPECT_EQ(ChooseProxyRoute(ProxySettings{1, "named:1", ""}, "http", "h", environment),
            ProxyRoute{});
  EXPECT_EQ(ChooseProxyRoute(ProxySettings{1, "named:1", ""}, "https", "h", environment),
            ProxyRoute{});
}

TEST(ProxyRouteTest, NamedSettingPicksTheEntryForTheScheme) {
  struct Case {
    const char* server;
    const char* scheme;
    const char* expected;
  };
  const Case cases[] = {
      {"proxy:8080", "http", "http://proxy:8080"},
      {"proxy:8080", "https", "http://proxy:8080"},
      {"http://proxy:8080", "http", "http://proxy:8080"},
      {"http=a:1;https=b:2", "http", "http://a:1"},
      {"http=a:1;https=b:2", "https", "http://b:2"},
      {"HTTPS=b:2 plain:3", "https", "http://b:2"},
      {"https=b:2 plain:3", "http", "http://plain:3"},
      {"https=b:2", "http", ""},
      {"", "http", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.server) + " for " + c.scheme);
    EXPECT_EQ(ChooseProxyRoute(ProxySettings{2, c.server, ""}, c.scheme, "example.com",
                               Environment({{"http_proxy", "env:1"}}))
                  .proxy,
              c.expected);
  }
}

TEST(ProxyRouteTest, BypassListSendsMatchingHostsDirect) {
  struct Case {
    const char* host;
    const char* bypass;
    bool bypassed;
  };
  const Case cases[] = {
      {"intranet", "<local>", true},
      {"example.com", "<local>", false},
      {"api.example.com", "*.example.com", true},
      {"API.Example.COM", "*.example.com", true},
      {"example.com", "*.example.com", false},
      {"example.com", "other.org; example.com", true},
      {"example.com", "other.org,example.com", true},
      {"127.0.0.1", "127.*", true},
      {"10.0.0.1", "127.*", false},
      {"abc", "a*c", true},
      {"abd", "a*c", false},
      {"anything", "*", true},
      {"example.com", "", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.host) + " against " + c.bypass);
    EXPECT_EQ(HostMatchesBypassList(c.host, c.bypass), c.bypassed);
    const ProxyRoute route =
        ChooseProxyRoute(ProxySettings{2, "proxy:1", c.bypass}, "http", c.host, Environment({}));
    EXPECT_EQ(route.proxy.empty(), c.bypassed);
  }
}

}  // namespace
}  // namespace kelvaro::platform
