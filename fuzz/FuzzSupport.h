// What every fuzz target shares: turning the fuzzer's bytes into arguments, and checks that stop
// the run with a readable message.
//
// Input layout (FuzzedDataProvider): texts are taken from the front of the input with
// ConsumeRandomLengthString (a backslash followed by any byte other than a backslash ends a text;
// "\\" is one backslash), integers and flags from the back. So a seed file that starts with the
// texts separated by "\ " and carries no trailing bytes exercises the texts with every integer and
// flag 0 / false.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "text/Text.h"

namespace kelvaro::fuzz {

// Stops the run (libFuzzer then saves the input as a crash artifact) when `condition` is false.
#define KELVARO_FUZZ_CHECK(condition)                                                              \
  do {                                                                                             \
    if (!(condition)) {                                                                            \
      std::fprintf(stderr, "fuzz check failed: %s\n  at %s:%d\n", #condition, __FILE__, __LINE__); \
      std::abort();                                                                                \
    }                                                                                              \
  } while (false)

// A text from the front of the input. Text keeps the bytes before the first zero byte, so zero
// bytes in the input also exercise that cut.
inline Text ConsumeText(FuzzedDataProvider& in, std::size_t maxLength) {
  return Text(in.ConsumeRandomLengthString(maxLength));
}

// A 32-bit position or count. Most values land near the text (where the interesting cases are);
// the rest cover the whole range and its extremes, so overflow in position sums shows up.
inline std::int32_t ConsumePosition(FuzzedDataProvider& in, std::int32_t length) {
  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  switch (in.ConsumeIntegralInRange<int>(0, 3)) {
    case 0:
      return in.ConsumeIntegralInRange<std::int32_t>(-3, length + 3);
    case 1:
      return in.ConsumeIntegralInRange<std::int32_t>(0, length + 1);
    case 2: {
      constexpr std::int32_t kExtremes[] = {kMin, kMin + 1, -2, -1, 0, 1, 2, kMax - 1, kMax};
      return kExtremes[in.ConsumeIntegralInRange<std::size_t>(0, std::size(kExtremes) - 1)];
    }
    default:
      return in.ConsumeIntegral<std::int32_t>();
  }
}

inline std::optional<std::int32_t> ConsumeOptionalPosition(FuzzedDataProvider& in,
                                                           std::int32_t length) {
  if (!in.ConsumeBool()) return std::nullopt;
  return ConsumePosition(in, length);
}

inline bool HoldsNoZeroByte(const Text& text) {
  return text.bytes().find('\0') == std::string_view::npos;
}

}  // namespace kelvaro::fuzz
