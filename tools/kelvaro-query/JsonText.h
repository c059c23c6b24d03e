// Writing UTF-8 texts as JSON string literals.
#pragma once

#include <string>
#include <string_view>

namespace kelvaro {

// `utf8` as a JSON string literal, quotes included: the quote, the backslash and every control
// character are escaped; other bytes go out unchanged.
std::string JsonString(std::string_view utf8);

}  // namespace kelvaro
