#include "text/TextBetween.h"

#include <algorithm>
#include <limits>
#include <optional>

#include "text/TextOps.h"

namespace kelvaro {

namespace {

// Positions are summed in 64 bits; a sum beyond the 32-bit range lies outside every text, and
// clamping it keeps it outside (a start past the end finds nothing, a count past the end is cut).
std::int32_t ClampPosition(std::int64_t position) {
  return static_cast<std::int32_t>(
      std::clamp<std::int64_t>(position, std::numeric_limits<std::int32_t>::min(),
                               std::numeric_limits<std::int32_t>::max()));
}

// The bytes from just after the left delimiter up to, not including, the right delimiter.
Text Cut(const Text& text, std::int32_t startPos, std::int32_t leftLength, std::int32_t endPos) {
  const std::int64_t from = std::int64_t{startPos} + leftLength;
  const std::int64_t count = std::int64_t{endPos} - from;
  if (from < 1 || count <= 0) return {};
  return TextMid(text, ClampPosition(from), ClampPosition(count));
}

Text Forward(const Text& text, const Text& left, const Text& right, bool widest, bool ignoreCase,
             std::int32_t& startPos, std::int32_t& endPos) {
  startPos = FindText(text, left, startPos, ignoreCase);
  if (!left.empty() && startPos == kNotFound) return {};
  if (!right.empty()) {
    endPos = widest
                 ? FindTextReverse(text, right, endPos, ignoreCase)
                 : FindText(text, right, ClampPosition(std::int64_t{startPos} + TextLength(left)),
                            ignoreCase);
    if (endPos == kNotFound) return {};
  }
  return Cut(text, startPos, TextLength(left), endPos);
}

// Every search here is case-sensitive; ignoreCase only decides whether the delimiters are the same.
Text Backward(const Text& text, const Text& left, const Text& right, bool widest, bool ignoreCase,
              std::int32_t& startPos, std::int32_t& endPos) {
  if (CompareText(left, right, !ignoreCase) != 0) {
    if (!right.empty()) endPos = FindTextReverse(text, right, endPos);
    startPos = widest ? FindText(text, left) : FindTextReverse(text, left, endPos);
  } else {
    // One delimiter on both sides: its last two occurrences before endPos.
    endPos = FindTextReverse(text, right, endPos);
    startPos = FindTextReverse(text, left, endPos);
  }
  if (!left.empty() && startPos == kNotFound) return {};
  return Cut(text, startPos, TextLength(left), endPos);
}

}  // namespace

Text TextBetween(const Text& text, const Text& left, const Text& right, bool widest, bool fromEnd,
                 bool ignoreCase, std::int32_t* startPos, std::int32_t* endPos) {
  std::int32_t start = startPos != nullptr ? *startPos : 0;
  std::int32_t end = endPos != nullptr ? *endPos : 0;
  if (end < 1) end = ClampPosition(std::int64_t{TextLength(text)} + 1);
  // With an empty left delimiter a given start position has no effect.
  if (left.empty() || start < 1) start = 1;

  Text between = fromEnd ? Backward(text, left, right, widest, ignoreCase, start, end)
                         : Forward(text, left, right, widest, ignoreCase, start, end);
  if (startPos != nullptr) *startPos = start;
  if (endPos != nullptr) *endPos = end;
  return between;
}

}  // namespace kelvaro
