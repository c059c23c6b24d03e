#include "tools/demo-lookup-service/RequestTarget.h"

#include <array>
#include <cstdint>

namespace kelvaro::demo {

namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != prefix[i]) return false;
  }
  return true;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

TargetParts SplitPathAndQuery(std::string_view pathAndQuery) {
  const std::size_t mark = pathAndQuery.find('?');
  if (mark == std::string_view::npos) return {pathAndQuery, {}};
  return {pathAndQuery.substr(0, mark), pathAndQuery.substr(mark + 1)};
}

}  // namespace

std::optional<TargetParts> SplitTarget(std::string_view target) {
  if (target.starts_with('/')) return SplitPathAndQuery(target);
  for (std::string_view scheme : {std::string_view("http://"), std::string_view("https://")}) {
    if (!StartsWithNoCase(target, scheme)) continue;
    const std::string_view rest = target.substr(scheme.size());
    const std::size_t pathStart = rest.find_first_of("/?");
    if (pathStart == std::string_view::npos) return TargetParts{"/", {}};
    if (rest[pathStart] == '?') return TargetParts{"/", rest.substr(pathStart + 1)};
    return SplitPathAndQuery(rest.substr(pathStart));
  }
  return std::nullopt;
}

std::string PercentDecode(std::string_view text, bool plusIsSpace) {
  std::string decoded;
  decoded.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '%' && i + 2 < text.size()) {
      const int high = HexValue(text[i + 1]);
      const int low = HexValue(text[i + 2]);
      if (high >= 0 && low >= 0) {
        decoded.push_back(static_cast<char>(high * 16 + low));
        i += 2;
        continue;
      }
    }
    decoded.push_back(plusIsSpace && c == '+' ? ' ' : c);
  }
  return decoded;
}

std::optional<std::string> QueryValue(std::string_view query, std::string_view key) {
  while (true) {
    const std::size_t end = query.find('&');
    const std::string_view pair = query.substr(0, end);
    const std::size_t equals = pair.find('=');
    if (PercentDecode(pair.substr(0, equals), true) == key) {
      if (equals == std::string_view::npos) return std::string();
      return PercentDecode(pair.substr(equals + 1), true);
    }
    if (end == std::string_view::npos) return std::nullopt;
    query.remove_prefix(end + 1);
  }
}

bool IsValidUtf8(std::string_view bytes) {
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    std::size_t length = 0;
    std::uint32_t codePoint = 0;
    std::uint32_t minimum = 0;
    if (lead < 0x80U) {
      ++i;
      continue;
    } else if ((lead & 0xE0U) == 0xC0U) {
      length = 2, codePoint = lead & 0x1FU, minimum = 0x80U;
    } else if ((lead & 0xF0U) == 0xE0U) {
      length = 3, codePoint = lead & 0x0FU, minimum = 0x800U;
    } else if ((lead & 0xF8U) == 0xF0U) {
      length = 4, codePoint = lead & 0x07U, minimum = 0x10000U;
    } else {
      return false;
    }
    if (bytes.size() - i < length) return false;
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(bytes[i + k]);
      if ((next & 0xC0U) != 0x80U) return false;
      codePoint = (codePoint << 6U) | (next & 0x3FU);
    }
    if (codePoint < minimum || codePoint > 0x10FFFFU ||
        (codePoint >= 0xD800U && codePoint <= 0xDFFFU)) {
      return false;
    }
    i += length;
  }
  return true;
}

}  // namespace kelvaro::demo
