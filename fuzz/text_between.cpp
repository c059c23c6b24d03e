// Fuzzes TextBetween (text/TextBetween.h) with every option combination and arbitrary in/out
// positions.
//
// Input: three texts from the front (the text, the left and the right delimiter), then from the
// back the three options and the incoming startPos and endPos (values near the text's length,
// the whole int32 range and its extremes).
//
// Checks: no result holds a zero byte; startPos comes out as -1 or within 1..length; endPos as -1
// or at least 1 (a position within the text wherever a search for it ran); whenever both
// positions were found the result is TextMid(text, startPos + length(left), endPos - that),
// the sum taken exactly; a non-empty result sits between the two delimiters found; the result
// and positions follow the documented steps (composed here from the search operations, which the
// text_ops target checks on their own); omitted positions behave as variables holding 0.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/FuzzSupport.h"
#include "text/Text.h"
#include "text/TextBetween.h"
#include "text/TextOps.h"

namespace {

using kelvaro::Text;

// TextMid with exact 64-bit arguments: empty when from < 1, from > length or count <= 0.
std::string_view ExactMid(std::string_view text, std::int64_t from, std::int64_t count) {
  if (from < 1 || from > static_cast<std::int64_t>(text.size()) || count <= 0) return {};
  return text.substr(static_cast<std::size_t>(from - 1), static_cast<std::size_t>(count));
}

struct Outcome {
  std::string_view between;
  std::int32_t startPos;
  std::int32_t endPos;
};

// The documented steps, one for one.
Outcome Model(const Text& text, const Text& left, const Text& right, bool widest, bool fromEnd,
              bool ignoreCase, std::int32_t startPos, std::int32_t endPos) {
  const std::int32_t length = kelvaro::TextLength(text);
  const std::int32_t leftLength = kelvaro::TextLength(left);
  if (endPos < 1) endPos = length + 1;
  if (left.empty() || startPos < 1) startPos = 1;
  if (!fromEnd) {
    startPos = kelvaro::FindText(text, left, startPos, ignoreCase);
    if (!left.empty() && startPos == -1) return {{}, startPos, endPos};
    if (!right.empty()) {
      endPos = widest ? kelvaro::FindTextReverse(text, right, endPos, ignoreCase)
                      : kelvaro::FindText(text, right, startPos + leftLength, ignoreCase);
      if (endPos == -1) return {{}, startPos, endPos};
    }
  } else {
    if (kelvaro::CompareText(left, right, !ignoreCase) != 0) {
      if (!right.empty()) endPos = kelvaro::FindTextReverse(text, right, endPos);
      startPos =
          widest ? kelvaro::FindText(text, left) : kelvaro::FindTextReverse(text, left, endPos);
    } else {
      endPos = kelvaro::FindTextReverse(text, right, endPos);
      startPos = kelvaro::FindTextReverse(text, left, endPos);
    }
    if (!left.empty() && startPos == -1) return {{}, startPos, endPos};
  }
  const std::int64_t from = std::int64_t{startPos} + leftLength;
  return {ExactMid(text.bytes(), from, std::int64_t{endPos} - from), startPos, endPos};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const Text text = kelvaro::fuzz::ConsumeText(in, 4096);
  const Text left = kelvaro::fuzz::ConsumeText(in, 12);
  const Text right = kelvaro::fuzz::ConsumeText(in, 12);
  const bool widest = in.ConsumeBool();
  const bool fromEnd = in.ConsumeBool();
  const bool ignoreCase = in.ConsumeBool();
  const std::int32_t length = kelvaro::TextLength(text);
  const std::int32_t startIn = kelvaro::fuzz::ConsumePosition(in, length);
  const std::int32_t endIn = kelvaro::fuzz::ConsumePosition(in, length);

  std::int32_t startPos = startIn;
  std::int32_t endPos = endIn;
  const Text between =
      kelvaro::TextBetween(text, left, right, widest, fromEnd, ignoreCase, &startPos, &endPos);

  KELVARO_FUZZ_CHECK(kelvaro::fuzz::HoldsNoZeroByte(between));
  KELVARO_FUZZ_CHECK(startPos == -1 || (startPos >= 1 && startPos <= length));
  KELVARO_FUZZ_CHECK(endPos == -1 || endPos >= 1);

  const std::int64_t from = std::int64_t{startPos} + kelvaro::TextLength(left);
  if (startPos != -1 && endPos != -1) {
    KELVARO_FUZZ_CHECK(between.bytes() ==
                       ExactMid(text.bytes(), from, std::int64_t{endPos} - from));
  }
  if (!between.empty()) {
    // Both delimiters stand where the positions say, and the result lies strictly between them.
    KELVARO_FUZZ_CHECK(startPos != -1 && endPos != -1);
    const std::string_view bytes = text.bytes();
    const bool foldedSearch = ignoreCase && !fromEnd;
    if (!left.empty()) {
      const Text atLeft(bytes.substr(static_cast<std::size_t>(startPos - 1), left.size()));
      KELVARO_FUZZ_CHECK(foldedSearch ? kelvaro::FindText(atLeft, left, 1, true) == 1
                                      : atLeft == left);
    }
    if (!right.empty()) {
      KELVARO_FUZZ_CHECK(static_cast<std::size_t>(endPos - 1) + right.size() <= bytes.size());
      const Text atRight(bytes.substr(static_cast<std::size_t>(endPos - 1), right.size()));
      KELVARO_FUZZ_CHECK(foldedSearch ? kelvaro::FindText(atRight, right, 1, true) == 1
                                      : atRight == right);
    }
    KELVARO_FUZZ_CHECK(from + static_cast<std::int64_t>(between.size()) <= endPos);
  }

  const Outcome expected = Model(text, left, right, widest, fromEnd, ignoreCase, startIn, endIn);
  KELVARO_FUZZ_CHECK(between.bytes() == expected.between);
  KELVARO_FUZZ_CHECK(startPos == expected.startPos);
  KELVARO_FUZZ_CHECK(endPos == expected.endPos);

  // Omitted positions are fresh variables holding 0.
  std::int32_t zeroStart = 0;
  std::int32_t zeroEnd = 0;
  const Text withZeros =
      kelvaro::TextBetween(text, left, right, widest, fromEnd, ignoreCase, &zeroStart, &zeroEnd);
  KELVARO_FUZZ_CHECK(kelvaro::TextBetween(text, left, right, widest, fromEnd, ignoreCase) ==
                     withZeros);
  return 0;
}
