// The demo lookup service's answers to whole requests, apart from any socket: the priming page,
// baseInfo and ubInfo at the lookup service's paths, for origin-form targets and for
// absolute-form targets of any host (the program reaches the service through its proxy setting).
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tools/demo-lookup-service/HomeRegion.h"

namespace kelvaro::demo {

inline constexpr std::string_view kJsonType = "application/json;charset=UTF-8";
inline constexpr std::string_view kHtmlType = "text/html;charset=UTF-8";
inline constexpr std::string_view kPlainType = "text/plain;charset=UTF-8";

struct Reply {
  int status = 200;
  std::string contentType;
  std::string body;
  // Further response headers (name, value).
  std::vector<std::pair<std::string, std::string>> headers;
};

class DemoService {
 public:
  // Answers a request by its method and its target exactly as received:
  //  - a target that is neither origin-form nor absolute-form (RequestTarget.h): 400;
  //  - a method other than GET or HEAD: 405, with an Allow header;
  //  - path "/web/phone/baseInfo": 200, the baseInfo JSON for the query's number parameter
  //    (missing counts as empty);
  //  - path "/web/phone/ubInfo": 200, the ubInfo JSON for the number, province, city and p_type
  //    parameters (missing count as empty);
  //  - path "/web/" and 32 lower-case hexadecimal characters (the priming page): 200, a small
  //    HTML page;
  //  - any other path: 404.
  // Paths are compared after percent-decoding; query values are percent-decoded ("+" as a space)
  // and read as UTF-8. Error bodies are plain text.
  Reply Answer(std::string_view method, std::string_view target) const;

 private:
  HomeRegionFinder regions_;
};

}  // namespace kelvaro::demo
