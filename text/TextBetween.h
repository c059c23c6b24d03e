// TextBetween: the part of a text between a left and a right delimiter.
#pragma once

#include <cstdint>

#include "text/Text.h"

namespace kelvaro {

// Returns the bytes strictly between a left and a right delimiter, or the empty text.
//
// Arguments beyond `text` behave exactly like the defaults when omitted. `startPos` and `endPos`
// are in-out: nullptr stands for a fresh variable holding 0 whose result is discarded.
//  - in:  *startPos is where the forward search for `left` starts (< 1, or `left` empty: 1);
//         *endPos is the position before which the search ends (< 1: length + 1).
//  - out: *startPos is the left delimiter's position, 1 for an empty `left` over a non-empty
//         range, or -1; *endPos is the right delimiter's position or -1 where a search for it
//         ran, and otherwise the value from the preparation step.
//
// Forward mode (fromEnd false): the first `left` at or after *startPos; then, without `widest`,
// the first `right` at or after the byte following `left`; with `widest`, the last `right` lying
// wholly before *endPos. `ignoreCase` folds ASCII letters in both searches.
//
// Backward mode (fromEnd true): searches are always case-sensitive; `ignoreCase` only decides
// whether `left` and `right` count as the same delimiter. Different delimiters: the last `right`
// wholly before *endPos (when `right` is not empty), then the last `left` wholly before it, or with
// `widest` the first `left` in the whole text. The same delimiter: the last two occurrences before
// *endPos.
//
// The cut is TextMid(text, *startPos + length(left), *endPos - that), so it is empty whenever a
// delimiter is missing, the delimiters touch, or the right one stands before the left one.
Text TextBetween(const Text& text, const Text& left = {}, const Text& right = {},
                 bool widest = false, bool fromEnd = false, bool ignoreCase = false,
                 std::int32_t* startPos = nullptr, std::int32_t* endPos = nullptr);

}  // namespace kelvaro
