// Helpers shared by the text toolkit's tests.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "text/Text.h"

namespace kelvaro::testing {

// Bytes as readable ASCII for failure traces: printable ASCII as is, everything else as \xHH.
inline std::string Show(std::string_view bytes) {
  std::string shown = "\"";
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
      shown += c;
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned>(byte));
      shown += escaped;
    }
  }
  return shown + "\"";
}

inline std::string Show(const Text& text) {
  return Show(text.bytes());
}
inline std::string Show(const char* bytes) {
  return Show(std::string_view(bytes));
}

}  // namespace kelvaro::testing
