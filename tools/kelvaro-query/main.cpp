// kelvaro-query: the balance query from the command line. For each number given it performs the
// same two requests, through the same client and lookup code, as the window's query button, and
// prints the result line (UTF-8), or with --json one JSON object per line.
//
// Exit status: 0 when every request completed, 1 when a request failed (no connection, a
// time-out, ...), 2 for a usage error. Like the window, it reaches the lookup service at the
// built-in base address, through http_proxy when that is set.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "lookup/BalanceQuery.h"
#include "platform/PlatformClasses.h"
#include "text/CodePage.h"
#include "text/TextOps.h"
#include "tools/kelvaro-query/JsonText.h"

namespace {

using kelvaro::BalanceQueryResult;
using kelvaro::JsonString;
using kelvaro::Text;
using kelvaro::ToUtf8;

constexpr const char* kUsage =
    "usage: kelvaro-query [--json] NUMBER...\n"
    "Looks up each mobile number's carrier, home province and city, and balance.\n";

// The carrier's bare name: the carrier name without its leading space and closing "；".
std::string BareCarrier(const Text& carrierName) {
  const std::string name = ToUtf8(kelvaro::TrimBoth(carrierName));
  const std::string semicolon = "\xEF\xBC\x9B";  // "；" in UTF-8
  if (name.size() >= semicolon.size() &&
      name.compare(name.size() - semicolon.size(), semicolon.size(), semicolon) == 0) {
    return name.substr(0, name.size() - semicolon.size());
  }
  return name;
}

void PrintJson(const std::string& number, const BalanceQueryResult& r) {
  const bool ok = r.baseInfoSent && r.ubInfoSent;
  std::printf(
      "{\"number\":%s,\"ok\":%s,\"carrierCode\":%s,\"carrier\":%s,\"province\":%s,"
      "\"city\":%s,\"message\":%s,\"balance\":%s,\"line\":%s}\n",
      JsonString(number).c_str(), ok ? "true" : "false", JsonString(ToUtf8(r.carrierCode)).c_str(),
      JsonString(BareCarrier(r.carrierName)).c_str(), JsonString(ToUtf8(r.province)).c_str(),
      JsonString(ToUtf8(r.city)).c_str(), JsonString(ToUtf8(r.message)).c_str(),
      JsonString(ToUtf8(r.balance)).c_str(), JsonString(ToUtf8(r.line)).c_str());
}

}  // namespace

int main(int argc, char** argv) {
  bool json = false;
  std::vector<std::string> numbers;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--json") == 0) {
      json = true;
    } else if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::fputs(kUsage, stdout);
      return 0;
    } else {
      numbers.emplace_back(argv[i]);
    }
  }
  if (numbers.empty()) {
    std::fputs(kUsage, stderr);
    return 2;
  }

  kelvaro::platform::RegisterPlatformClasses();
  kelvaro::HttpClient client;
  bool allSent = true;
  for (const std::string& number : numbers) {
    const Text numberText = kelvaro::FromUtf8(number);
    const BalanceQueryResult result =
        kelvaro::RunBalanceQuery(client, [&] { return numberText; });
    allSent = allSent && result.baseInfoSent && result.ubInfoSent;
    if (json) {
      PrintJson(number, result);
    } else {
      std::printf("%s\n", ToUtf8(result.line).c_str());
      if (!result.baseInfoSent || !result.ubInfoSent) {
        std::fprintf(stderr, "kelvaro-query: %s: the lookup service could not be reached\n",
                     number.c_str());
      }
    }
  }
  std::fflush(stdout);
  return allSent ? 0 : 1;
}
