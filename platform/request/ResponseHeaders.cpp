#include "platform/request/ResponseHeaders.h"
#include "platform/request/AsciiCase.h"

#include <algorithm>

namespace kelvaro::platform {

namespace {

std::string_view Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

std::optional<std::string_view> FindHeaderValue(std::string_view headers, std::string_view name) {
  if (name.empty()) return std::nullopt;
  while (!headers.empty()) {
    const std::size_t end = headers.find("\r\n");
    const std::string_view line = headers.substr(0, end);
    headers = end == std::string_view::npos ? std::string_view() : headers.substr(end + 2);
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    const std::string_view lineName = line.substr(0, colon);
    if (lineName.size() == name.size() &&
        std::equal(lineName.begin(), lineName.end(), name.begin(),
                   [](char a, char b) { return AsciiLower(a) == AsciiLower(b); })) {
      return Trimmed(line.substr(colon + 1));
    }
  }
  return std::nullopt;
}

}  // namespace kelvaro::platform
