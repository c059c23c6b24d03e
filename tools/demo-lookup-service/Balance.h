// The demo's account balance of a number: made up, but the same for a number every time.
#pragma once

#include <string>
#include <string_view>

namespace kelvaro::demo {

// A balance in yuan with two decimals, "0.00" to "299.99", e.g. "36.20"; derived from a 64-bit
// FNV-1a hash of the number's bytes, so it depends on nothing but the text given.
std::string BalanceOf(std::string_view number);

}  // namespace kelvaro::demo
