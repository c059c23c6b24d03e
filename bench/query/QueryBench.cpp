// Time of one balance query through the real chain beside plain libcurl making the same two
// requests.
//
// The program's side is RunBalanceQuery on one HttpClient with the real request object: the
// baseInfo and ubInfo requests with their default headers, each answer through ResponseBodyUtf8,
// the five cuts, the carrier name and the joined line. The baseline is one libcurl easy handle,
// reused for every request, making the same two GETs with the same request headers through the
// same proxy, and keeping the answers' bytes as they come (no decoding, no cutting).
//
// Both reach the lookup service the way the program does: the built-in base address, through
// the proxy that http_proxy names (the demo lookup service on loopback).
//
//   http_proxy=http://127.0.0.1:PORT kelvaro_bench_query [--rounds N] [--queries N]
#include <curl/curl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bench/common/SideBySide.h"
#include "lookup/BalanceQuery.h"
#include "lookup/LookupProtocol.h"
#include "platform/PlatformClasses.h"
#include "text/CodePage.h"

namespace kelvaro {
namespace {

constexpr const char* kNumber = "13800138000";
constexpr const char* kUserAgent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";

struct EasyCleanup {
  void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct SlistCleanup {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using Easy = std::unique_ptr<CURL, EasyCleanup>;
using Slist = std::unique_ptr<curl_slist, SlistCleanup>;

// The request headers the client sends for a GET of `url` (the Referer is the URL itself), and
// none of libcurl's own Accept.
Slist HeadersFor(const std::string& url) {
  curl_slist* list = nullptr;
  for (const std::string& line : {std::string("Accept: */*"), std::string("Accept-Language: zh-cn"),
                                  "Referer: " + url, std::string("User-Agent: ") + kUserAgent}) {
    list = curl_slist_append(list, line.c_str());
  }
  return Slist(list);
}

size_t KeepBytes(char* data, size_t size, size_t count, void* body) {
  static_cast<std::string*>(body)->append(data, size * count);
  return size * count;
}

// Plain libcurl: one handle for every request, so its connection to the proxy stays open.
class PlainCurl {
 public:
  explicit PlainCurl(const char* proxy) : easy_(curl_easy_init()) {
    curl_easy_setopt(easy_.get(), CURLOPT_PROXY, proxy);
    curl_easy_setopt(easy_.get(), CURLOPT_WRITEFUNCTION, &KeepBytes);
    curl_easy_setopt(easy_.get(), CURLOPT_WRITEDATA, static_cast<void*>(&body_));
    curl_easy_setopt(easy_.get(), CURLOPT_NOSIGNAL, 1L);
  }

  // The body of a GET of `url`; false when the request failed or did not answer 200.
  bool Get(const std::string& url, const curl_slist* headers, std::string& body) {
    body_.clear();
    curl_easy_setopt(easy_.get(), CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy_.get(), CURLOPT_HTTPHEADER, headers);
    long status = 0;
    const bool ok = curl_easy_perform(easy_.get()) == CURLE_OK &&
                    curl_easy_getinfo(easy_.get(), CURLINFO_RESPONSE_CODE, &status) == CURLE_OK &&
                    status == 200;
    body.swap(body_);
    return ok;
  }

 private:
  Easy easy_;
  std::string body_;
};

}  // namespace
}  // namespace kelvaro

int main(int argc, char** argv) {
  using namespace kelvaro;
  // Many short samples: a change of the machine's load then falls on both sides of a pair alike.
  int rounds = 101;
  int queries = 20;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc) {
      rounds = std::max(1, std::atoi(argv[++i]));
    } else if (std::strcmp(argv[i], "--queries") == 0 && i + 1 < argc) {
      queries = std::max(1, std::atoi(argv[++i]));
    } else {
      std::fprintf(stderr, "usage: kelvaro_bench_query [--rounds N] [--queries N]\n");
      return 2;
    }
  }
  const char* proxy = std::getenv("http_proxy");
  if (proxy == nullptr || *proxy == '\0') {
    std::fprintf(stderr, "kelvaro_bench_query: set http_proxy to the lookup service\n");
    return 2;
  }

  platform::RegisterPlatformClasses();
  HttpClient client;
  const Text number(kNumber);
  auto query = [&] { return RunBalanceQuery(client, [&] { return number; }); };

  // One query through the chain gives the answer to check and the URLs the baseline requests:
  // the ubInfo URL carries the province and city the first answer named, escaped as sent.
  const BalanceQueryResult first = query();
  const Variant sentUrl = client.Option(1);
  if (!first.baseInfoSent || !first.ubInfoSent || first.balance.empty() ||
      sentUrl.IfString() == nullptr) {
    std::fprintf(stderr, "kelvaro_bench_query: the query through the chain failed: %s\n",
                 ToUtf8(first.line).c_str());
    return 1;
  }
  const std::string baseInfoUrl(BaseInfoUrl(number).bytes());
  const std::string ubInfoUrl = ToUtf8(FromUtf16(*sentUrl.IfString()));
  const Slist baseInfoHeaders = HeadersFor(baseInfoUrl);
  const Slist ubInfoHeaders = HeadersFor(ubInfoUrl);

  PlainCurl curl(proxy);
  std::string baseInfoAnswer;
  std::string ubInfoAnswer;
  auto plainQuery = [&] {
    return curl.Get(baseInfoUrl, baseInfoHeaders.get(), baseInfoAnswer) &&
           curl.Get(ubInfoUrl, ubInfoHeaders.get(), ubInfoAnswer);
  };
  if (!plainQuery() || ubInfoAnswer.find(first.balance.bytes()) == std::string::npos) {
    std::fprintf(stderr, "kelvaro_bench_query: the plain libcurl query failed\n");
    return 1;
  }

  bool failed = false;
  const bench::Medians perQuery = bench::Interleave(
      rounds,
      [&] {
        return bench::SecondsFor([&] {
                 for (int i = 0; i < queries; ++i) {
                   const BalanceQueryResult result = query();
                   failed = failed || !result.ubInfoSent || result.line != first.line;
                 }
               }) *
               1e6 / queries;
      },
      [&] {
        return bench::SecondsFor([&] {
                 for (int i = 0; i < queries; ++i) failed = !plainQuery() || failed;
               }) *
               1e6 / queries;
      });
  if (failed) {
    std::fprintf(stderr, "kelvaro_bench_query: a query failed while measuring\n");
    return 1;
  }
  bench::PrintRow({"query (2 GETs) vs libcurl, one reused handle", perQuery.program,
                   perQuery.baseline, "us", perQuery.ratio, "<= 1.10", perQuery.ratio <= 1.10});
  return 0;
}
