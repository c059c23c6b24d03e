// ASCII-only letter case for the protocol texts the request object handles (scheme and host
// names, header names, charset labels, proxy bypass patterns): A-Z and a-z fold, every other byte
// stays as it is.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

namespace kelvaro::platform {

inline char AsciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// A copy of `text` with A-Z turned into a-z.
inline std::string AsciiLowered(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(), AsciiLower);
  return out;
}

// True when both hold the same bytes, A-Z and a-z counting as equal.
inline bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return AsciiLower(x) == AsciiLower(y);
         });
}

}  // namespace kelvaro::platform
