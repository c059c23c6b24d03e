// The operations on Text that the rest of the system relies on.
//
// Conventions shared by every operation here:
//  - Positions are 1-based byte positions; kNotFound (-1) means "not found". Lengths and counts are
//    32-bit signed, and any value, negative or past the end, is accepted: out-of-range arguments give
//    the empty text, an unchanged copy, an empty list or -1 as each contract says. Nothing throws.
//  - Optional arguments are std::optional: std::nullopt means "not given", which for several
//    operations differs from "given as 0" or "given as the empty text".
//  - Operations marked "walks" step through the text one character at a time: a byte below 0x80 is
//    one character, a byte of 0x80 or above takes the next byte along (also when that next byte is
//    below 0x80), and a lead byte that is the last byte is an incomplete character. The other
//    operations count bytes only and may cut a two-byte character in half.
//  - Case folding is ASCII only (A-Z <-> a-z) and applies to every byte, second bytes of two-byte
//    characters included, except in CompareText (see there).
//  - Blanks are the ASCII space 0x20 and the full-width space A1 A1. Tab, CR and LF are not blanks.
//  - No operation changes its arguments; each returns a new value.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>

#include "text/Text.h"

namespace kelvaro {

inline constexpr std::int32_t kNotFound = -1;

// Number of bytes; 0 for the empty text.
std::int32_t TextLength(const Text& text);

// True when both hold the same bytes in the same order (letter case matters).
bool TextEquals(const Text& a, const Text& b);

// The texts one after another, in argument order; empty texts add nothing.
Text JoinTexts(std::initializer_list<Text> parts);

// First n bytes: empty when n <= 0, the whole text when n >= its length.
Text TextLeft(const Text& text, std::int32_t n);

// Last n bytes: empty when n <= 0, the whole text when n >= its length.
Text TextRight(const Text& text, std::int32_t n);

// The n bytes starting at 1-based `position`, or fewer when the text ends first.
// Empty when position < 1, position > length, or n <= 0.
Text TextMid(const Text& text, std::int32_t position, std::int32_t n);

// Walks. Position of the first occurrence of `sought` in the search range, or -1.
//  - Range: the whole text when `start` is not given or <= 1; nothing when start > length;
//    otherwise from byte `start` to the end. The walk begins at `start` even when that byte is the
//    second byte of a two-byte character.
//  - Empty `sought`: 1 when the range is not empty (even when it begins after position 1), else -1.
//  - Matches are tried only at character starts of the walk; the walk stops after an incomplete
//    last character. `ignoreCase` folds ASCII letters in every byte.
std::int32_t FindText(const Text& text, const Text& sought,
                      std::optional<std::int32_t> start = std::nullopt, bool ignoreCase = false);

// Walks. Position of the last occurrence of `sought` that ends within the first r bytes, or -1.
//  - r is the length when `start` is not given, else start - 1 (cut to the length); r <= 0 makes
//    the range empty.
//  - Empty `sought`: 1 when the range is not empty, else -1.
//  - Candidates are the character starts of a walk from the text's first byte, as in FindText, so
//    searching again with the position found as `start` gives the previous, non-overlapping match.
std::int32_t FindTextReverse(const Text& text, const Text& sought,
                             std::optional<std::int32_t> start = std::nullopt,
                             bool ignoreCase = false);

// True when `text` begins with exactly the bytes of `prefix` (letter case matters);
// true for an empty prefix.
bool StartsWith(const Text& text, const Text& prefix);

// Compares character by character, two-byte characters as units: 0 when equal, negative when `a`
// sorts first, positive otherwise. Without case sensitivity ASCII letters fold, and two-byte
// characters compare as the code page's Unicode mapping upper-cases them (full-width a equals
// full-width A, Greek alpha equals Alpha).
int CompareText(const Text& a, const Text& b, bool caseSensitive);

// Walks. A copy with a-z turned into A-Z (ToUpper) or A-Z into a-z (ToLower). Two-byte characters
// are copied unchanged; the copy stops before an incomplete last character.
Text ToUpper(const Text& text);
Text ToLower(const Text& text);

// Walks. A copy without the run of blanks at the start.
Text TrimStart(const Text& text);

// Walks. A copy without the runs of blanks at both ends. A text that ends with an incomplete
// character loses that byte instead, and the blanks before it stay. Blanks only: the empty text.
Text TrimBoth(const Text& text);

// Walks. Replaces non-overlapping occurrences of `sought`.
//  - `replacement` not given: the empty text (occurrences are deleted).
//  - `start` given: copying starts unchanged up to byte start - 1 (0 when negative), the search at
//    the byte after. Not given: from the first byte.
//  - `count` not given or negative: no limit; 0: no replacement; n: at most n replacements.
//  - Returns an unchanged copy when the text or `sought` is empty, when start - 1 >= length, or
//    when count is 0. An incomplete last character met by the walk is dropped.
//  - `caseSensitive` false folds ASCII letters as FindText does.
Text ReplaceText(const Text& text, const Text& sought, const std::optional<Text>& replacement,
                 std::optional<std::int32_t> start, std::optional<std::int32_t> count,
                 bool caseSensitive);

// Walks. Splits at every occurrence of `delimiter` (exact bytes).
//  - `delimiter` not given: ",". `maxCount` not given: no limit; negative: 0.
//  - Empty text or maxCount 0: the empty list. Empty delimiter: one element, the whole text.
//  - Pieces may be empty, except that a non-empty rest after the last delimiter is added only
//    when it is not empty ("a;b;" gives a, b; ";" gives one empty element).
//  - Stops once the list holds maxCount elements; the rest of the text is dropped.
TextList SplitText(const Text& text, const std::optional<Text>& delimiter = std::nullopt,
                   std::optional<std::int32_t> maxCount = std::nullopt);

// Number of elements; 0 for the empty list.
std::int32_t CountOf(const TextList& list);

// The bytes before the first zero byte (all when none is zero), with no charset conversion.
Text TextFromBytes(std::span<const std::uint8_t> bytes);

}  // namespace kelvaro
