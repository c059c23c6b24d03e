#include "tools/demo-lookup-service/DemoService.h"

#include <algorithm>

#include "tools/demo-lookup-service/LookupAnswers.h"
#include "tools/demo-lookup-service/RequestTarget.h"

namespace kelvaro::demo {

namespace {

constexpr std::string_view kPagePrefix = "/web/";
constexpr std::size_t kPageIdLength = 32;

constexpr std::string_view kPrimingPage =
    "<!DOCTYPE html>\n"
    "<html lang=\"en\"><head><meta charset=\"UTF-8\"><title>Kelvaro demo lookup service</title>"
    "</head>\n<body><p>Kelvaro demo lookup service: it answers baseInfo and ubInfo queries for "
    "mainland China mobile numbers.</p></body></html>\n";

bool IsPrimingPage(std::string_view path) {
  if (!path.starts_with(kPagePrefix)) return false;
  const std::string_view id = path.substr(kPagePrefix.size());
  return id.size() == kPageIdLength && std::all_of(id.begin(), id.end(), [](char c) {
           return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
         });
}

std::string Parameter(std::string_view query, std::string_view key) {
  return QueryValue(query, key).value_or(std::string());
}

Reply PlainReply(int status, std::string_view text) {
  return {status, std::string(kPlainType), std::string(text) + "\n", {}};
}

}  // namespace

Reply DemoService::Answer(std::string_view method, std::string_view target) const {
  const std::optional<TargetParts> parts = SplitTarget(target);
  if (!parts) return PlainReply(400, "Bad Request");
  if (method != "GET" && method != "HEAD") {
    Reply reply = PlainReply(405, "Method Not Allowed");
    reply.headers.emplace_back("Allow", "GET, HEAD");
    return reply;
  }

  const std::string path = PercentDecode(parts->path, false);
  if (path == "/web/phone/baseInfo") {
    const BaseInfoAnswer answer = AnswerBaseInfo(Parameter(parts->query, "number"), regions_);
    return {200, std::string(kJsonType), BaseInfoJson(answer), {}};
  }
  if (path == "/web/phone/ubInfo") {
    const UbInfoQuery query{Parameter(parts->query, "number"), Parameter(parts->query, "province"),
                            Parameter(parts->query, "city"), Parameter(parts->query, "p_type")};
    return {200, std::string(kJsonType), UbInfoJson(AnswerUbInfo(query, regions_)), {}};
  }
  if (IsPrimingPage(path)) return {200, std::string(kHtmlType), std::string(kPrimingPage), {}};
  return PlainReply(404, "Not Found");
}

}  // namespace kelvaro::demo
