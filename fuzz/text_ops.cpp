// Fuzzes the text operations (text/TextOps.h) over arbitrary bytes and arguments.
//
// Input: three texts from the front (the text, `sought`, and `other`, which serves as the
// replacement and the delimiter), then from the back the flags and the positions and counts
// (optional ones are "not given" when their flag byte is even; values near the text's length, the
// whole int32 range and its extremes all occur).
//
// Each result is compared with a plain model written from the operations' rules (a byte-by-byte
// character walk without the fast searches' shortcuts), and the rules' consequences are checked
// on their own: no result holds a zero byte; positions are -1 or within 1..length; a position
// found really matches (ASCII letters folded with ignoreCase) and, reverse, ends before `start`;
// Left/Right/Mid are the bytes at the stated places; ReplaceText with count 0 is unchanged;
// SplitText's pieces joined by the delimiter give the text, or a prefix of it followed by the
// delimiter; ToUpper/ToLower and TrimBoth are idempotent on texts that do not end in an
// incomplete character; CompareText is antisymmetric and exact when case-sensitive.
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "text/Text.h"
#include "text/TextOps.h"

namespace {

using kelvaro::Text;
using kelvaro::TextList;
using kelvaro::fuzz::HoldsNoZeroByte;

bool IsLead(char c) {
  return static_cast<unsigned char>(c) >= 0x80;
}

char FoldAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool MatchesAt(std::string_view text, std::size_t at, std::string_view sought, bool ignoreCase) {
  if (at + sought.size() > text.size()) return false;
  for (std::size_t i = 0; i < sought.size(); ++i) {
    const char a = text[at + i];
    const char b = sought[i];
    if (ignoreCase ? FoldAscii(a) != FoldAscii(b) : a != b) return false;
  }
  return true;
}

// The character starts of a walk that begins at `from`: a lead byte takes the next byte along;
// a lead byte that is the last byte is an incomplete character and ends the walk.
std::vector<std::size_t> WalkStarts(std::string_view text, std::size_t from) {
  std::vector<std::size_t> starts;
  std::size_t i = from;
  while (i < text.size()) {
    starts.push_back(i);
    i += IsLead(text[i]) ? 2 : 1;
  }
  return starts;
}

// True when a walk that begins at `from` ends with an incomplete character.
bool EndsWithIncompleteCharacter(std::string_view text, std::size_t from = 0) {
  const std::vector<std::size_t> starts = WalkStarts(text, from);
  return !starts.empty() && starts.back() == text.size() - 1 && IsLead(text.back());
}

bool IsBlankAt(std::string_view text, std::size_t i) {
  if (text[i] == ' ') return true;
  return static_cast<unsigned char>(text[i]) == 0xA1 && i + 1 < text.size() &&
         static_cast<unsigned char>(text[i + 1]) == 0xA1;
}

std::int32_t ModelFind(std::string_view text, std::string_view sought,
                       std::optional<std::int32_t> start, bool ignoreCase) {
  std::size_t from = 0;
  if (start && *start > 1) {
    if (static_cast<std::size_t>(*start) > text.size()) return -1;
    from = static_cast<std::size_t>(*start) - 1;
  }
  if (from >= text.size()) return -1;
  if (sought.empty()) return 1;
  for (const std::size_t i : WalkStarts(text, from)) {
    if (MatchesAt(text, i, sought, ignoreCase)) return static_cast<std::int32_t>(i + 1);
  }
  return -1;
}

std::int32_t ModelFindReverse(std::string_view text, std::string_view sought,
                              std::optional<std::int32_t> start, bool ignoreCase) {
  std::int64_t range = start ? std::int64_t{*start} - 1 : static_cast<std::int64_t>(text.size());
  if (range > static_cast<std::int64_t>(text.size()))
    range = static_cast<std::int64_t>(text.size());
  if (range <= 0) return -1;
  if (sought.empty()) return 1;
  std::int32_t last = -1;
  for (const std::size_t i : WalkStarts(text, 0)) {
    if (static_cast<std::int64_t>(i + sought.size()) <= range &&
        MatchesAt(text, i, sought, ignoreCase)) {
      last = static_cast<std::int32_t>(i + 1);
    }
  }
  return last;
}

std::string ModelConvertCase(std::string_view text, bool upper) {
  std::string out;
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (!IsLead(c)) {
      if (upper && c >= 'a' && c <= 'z') {
        out += static_cast<char>(c - 'a' + 'A');
      } else if (!upper && c >= 'A' && c <= 'Z') {
        out += static_cast<char>(c - 'A' + 'a');
      } else {
        out += c;
      }
      ++i;
    } else if (i + 1 < text.size()) {
      out.append(text.substr(i, 2));
      i += 2;
    } else {
      break;  // an incomplete last character is left out
    }
  }
  return out;
}

std::string ModelTrimStart(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsBlankAt(text, i)) i += text[i] == ' ' ? 1 : 2;
  return std::string(text.substr(i));
}

std::string ModelReplace(std::string_view text, std::string_view sought,
                         std::optional<std::string_view> replacement,
                         std::optional<std::int32_t> start, std::optional<std::int32_t> count,
                         bool caseSensitive) {
  const std::int64_t b = start ? std::max<std::int64_t>(std::int64_t{*start} - 1, 0) : 0;
  if (text.empty() || sought.empty() || b >= static_cast<std::int64_t>(text.size()) ||
      (count && *count == 0)) {
    return std::string(text);
  }
  const std::int64_t limit =
      (count && *count > 0) ? *count : std::numeric_limits<std::int64_t>::max();
  const std::string_view with = replacement.value_or(std::string_view());
  std::size_t i = static_cast<std::size_t>(b);
  std::string out(text.substr(0, i));
  std::int64_t done = 0;
  while (text.size() - i >= sought.size() && done < limit) {
    if (MatchesAt(text, i, sought, !caseSensitive)) {
      out.append(with);
      i += sought.size();
      ++done;
    } else if (!IsLead(text[i])) {
      out += text[i++];
    } else if (i + 1 < text.size()) {
      out.append(text.substr(i, 2));
      i += 2;
    } else {
      i = text.size();  // an incomplete last character met by the walk is dropped
    }
  }
  out.append(text.substr(i));
  return out;
}

std::vector<std::string> ModelSplit(std::string_view text,
                                    std::optional<std::string_view> delimiter,
                                    std::optional<std::int32_t> maxCount) {
  const std::int64_t limit = !maxCount       ? std::numeric_limits<std::int64_t>::max()
                             : *maxCount < 0 ? 0
                                             : *maxCount;
  if (text.empty() || limit == 0) return {};
  const std::string_view delim = delimiter.value_or(",");
  if (delim.empty()) return {std::string(text)};
  std::vector<std::string> pieces;
  std::size_t pieceStart = 0;
  std::size_t i = 0;
  while (i < text.size() && text.size() - i >= delim.size()) {
    if (MatchesAt(text, i, delim, false)) {
      pieces.emplace_back(text.substr(pieceStart, i - pieceStart));
      if (static_cast<std::int64_t>(pieces.size()) == limit) return pieces;
      i += delim.size();
      pieceStart = i;
    } else if (!IsLead(text[i])) {
      ++i;
    } else if (i + 1 < text.size()) {
      i += 2;
    } else {
      break;  // the walk ends at an incomplete character
    }
  }
  if (pieceStart < text.size()) pieces.emplace_back(text.substr(pieceStart));
  return pieces;
}

int Sign(int value) {
  return (value > 0) - (value < 0);
}

void CheckSearches(const Text& text, const Text& sought, std::optional<std::int32_t> start,
                   bool ignoreCase) {
  const std::string_view bytes = text.bytes();
  const auto length = static_cast<std::int32_t>(bytes.size());

  const std::int32_t found = kelvaro::FindText(text, sought, start, ignoreCase);
  KELVARO_FUZZ_CHECK(found == -1 || (found >= 1 && found <= length));
  KELVARO_FUZZ_CHECK(found == ModelFind(bytes, sought.bytes(), start, ignoreCase));
  if (found != -1 && !sought.empty()) {
    KELVARO_FUZZ_CHECK(
        MatchesAt(bytes, static_cast<std::size_t>(found - 1), sought.bytes(), ignoreCase));
    KELVARO_FUZZ_CHECK(!start || *start <= 1 || found >= *start);
  }

  const std::int32_t last = kelvaro::FindTextReverse(text, sought, start, ignoreCase);
  KELVARO_FUZZ_CHECK(last == -1 || (last >= 1 && last <= length));
  KELVARO_FUZZ_CHECK(last == ModelFindReverse(bytes, sought.bytes(), start, ignoreCase));
  if (last != -1 && !sought.empty()) {
    KELVARO_FUZZ_CHECK(
        MatchesAt(bytes, static_cast<std::size_t>(last - 1), sought.bytes(), ignoreCase));
    // The occurrence ends before `start`: at or before byte start - 1.
    const std::int64_t end = std::int64_t{last} + TextLength(sought) - 1;
    KELVARO_FUZZ_CHECK(!start || end <= std::int64_t{*start} - 1);
    KELVARO_FUZZ_CHECK(end <= length);
    // Searching again from the position found gives an earlier occurrence that does not overlap.
    const std::int32_t previous = kelvaro::FindTextReverse(text, sought, last, ignoreCase);
    KELVARO_FUZZ_CHECK(previous == -1 || previous + TextLength(sought) <= last);
  }
}

void CheckSlices(const Text& text, std::int32_t position, std::int32_t n) {
  const std::string_view bytes = text.bytes();
  const std::int64_t length = static_cast<std::int64_t>(bytes.size());

  const Text left = kelvaro::TextLeft(text, n);
  const Text right = kelvaro::TextRight(text, n);
  const Text mid = kelvaro::TextMid(text, position, n);
  const std::size_t keep = n <= 0 ? 0 : static_cast<std::size_t>(std::min<std::int64_t>(n, length));
  KELVARO_FUZZ_CHECK(left.bytes() == bytes.substr(0, keep));
  KELVARO_FUZZ_CHECK(right.bytes() == bytes.substr(bytes.size() - keep));
  if (position < 1 || position > length || n <= 0) {
    KELVARO_FUZZ_CHECK(mid.empty());
  } else {
    KELVARO_FUZZ_CHECK(mid.bytes() == bytes.substr(static_cast<std::size_t>(position - 1),
                                                   static_cast<std::size_t>(n)));
  }
}

void CheckCase(const Text& text) {
  const Text upper = kelvaro::ToUpper(text);
  const Text lower = kelvaro::ToLower(text);
  KELVARO_FUZZ_CHECK(HoldsNoZeroByte(upper) && HoldsNoZeroByte(lower));
  KELVARO_FUZZ_CHECK(upper.bytes() == ModelConvertCase(text.bytes(), true));
  KELVARO_FUZZ_CHECK(lower.bytes() == ModelConvertCase(text.bytes(), false));
  if (!EndsWithIncompleteCharacter(text.bytes())) {
    KELVARO_FUZZ_CHECK(upper.size() == text.size() && lower.size() == text.size());
    KELVARO_FUZZ_CHECK(kelvaro::ToUpper(upper) == upper);
    KELVARO_FUZZ_CHECK(kelvaro::ToLower(lower) == lower);
    KELVARO_FUZZ_CHECK(kelvaro::ToUpper(lower) == upper);
    // Only single-byte letters change, so the two differ in case alone.
    KELVARO_FUZZ_CHECK(kelvaro::CompareText(upper, lower, false) == 0);
    KELVARO_FUZZ_CHECK(kelvaro::CompareText(upper, text, false) == 0);
  } else {
    KELVARO_FUZZ_CHECK(upper.size() + 1 == text.size() && lower.size() + 1 == text.size());
  }
}

void CheckTrims(const Text& text) {
  const std::string_view bytes = text.bytes();
  const Text trimmedStart = kelvaro::TrimStart(text);
  KELVARO_FUZZ_CHECK(trimmedStart.bytes() == ModelTrimStart(bytes));
  KELVARO_FUZZ_CHECK(kelvaro::TrimStart(trimmedStart) == trimmedStart);

  // TrimBoth cuts the leading run of blanks, and then either the trailing run of blanks or, when
  // the text ends with an incomplete character, that last byte alone.
  const Text both = kelvaro::TrimBoth(text);
  const std::string_view rest = trimmedStart.bytes();
  KELVARO_FUZZ_CHECK(rest.starts_with(both.bytes()));
  if (EndsWithIncompleteCharacter(bytes)) {
    KELVARO_FUZZ_CHECK(both.bytes() == rest.substr(0, rest.size() - 1));
    return;
  }
  KELVARO_FUZZ_CHECK(kelvaro::TrimBoth(both) == both);
  KELVARO_FUZZ_CHECK(kelvaro::TrimStart(both) == both);
  // What was cut at the end is blanks only, and the last character kept is not a blank.
  const std::vector<std::size_t> starts = WalkStarts(rest, 0);
  for (const std::size_t i : starts) {
    if (i >= both.size()) KELVARO_FUZZ_CHECK(IsBlankAt(rest, i));
  }
  const std::vector<std::size_t> kept = WalkStarts(both.bytes(), 0);
  KELVARO_FUZZ_CHECK(kept.empty() || !IsBlankAt(both.bytes(), kept.back()));
}

void CheckReplace(const Text& text, const Text& sought, const Text& replacement,
                  bool replacementGiven, std::optional<std::int32_t> start,
                  std::optional<std::int32_t> count, bool caseSensitive) {
  const std::optional<Text> with =
      replacementGiven ? std::optional<Text>(replacement) : std::nullopt;
  const Text replaced = kelvaro::ReplaceText(text, sought, with, start, count, caseSensitive);
  KELVARO_FUZZ_CHECK(HoldsNoZeroByte(replaced));
  const std::optional<std::string_view> withBytes =
      replacementGiven ? std::optional<std::string_view>(replacement.bytes()) : std::nullopt;
  KELVARO_FUZZ_CHECK(replaced.bytes() == ModelReplace(text.bytes(), sought.bytes(), withBytes,
                                                      start, count, caseSensitive));
  KELVARO_FUZZ_CHECK(kelvaro::ReplaceText(text, sought, with, start, 0, caseSensitive) == text);
  // Replacing an occurrence by itself changes nothing, except that the walk (from byte start - 1)
  // may drop an incomplete last character, and that a `sought` ending in a lead byte may match
  // the first half of a two-byte character and so shift the walk onto its second byte.
  const std::size_t walkFrom =
      start && *start > 1 ? static_cast<std::size_t>(std::int64_t{*start} - 1) : 0;
  if (caseSensitive && !EndsWithIncompleteCharacter(text.bytes(), walkFrom) &&
      !EndsWithIncompleteCharacter(sought.bytes())) {
    KELVARO_FUZZ_CHECK(kelvaro::ReplaceText(text, sought, sought, start, count, true) == text);
  }
}

void CheckSplit(const Text& text, const Text& delimiter, bool delimiterGiven,
                std::optional<std::int32_t> maxCount) {
  const std::optional<Text> given = delimiterGiven ? std::optional<Text>(delimiter) : std::nullopt;
  const TextList pieces = kelvaro::SplitText(text, given, maxCount);
  KELVARO_FUZZ_CHECK(kelvaro::CountOf(pieces) == static_cast<std::int32_t>(pieces.size()));
  const std::optional<std::string_view> delimiterBytes =
      delimiterGiven ? std::optional<std::string_view>(delimiter.bytes()) : std::nullopt;
  const std::vector<std::string> model = ModelSplit(text.bytes(), delimiterBytes, maxCount);
  KELVARO_FUZZ_CHECK(pieces.size() == model.size());
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    KELVARO_FUZZ_CHECK(HoldsNoZeroByte(pieces[i]));
    KELVARO_FUZZ_CHECK(pieces[i].bytes() == model[i]);
  }

  if (pieces.empty()) {
    KELVARO_FUZZ_CHECK(text.empty() || (maxCount && *maxCount <= 0));
    return;
  }
  if (maxCount) KELVARO_FUZZ_CHECK(static_cast<std::int64_t>(pieces.size()) <= *maxCount);
  const std::string_view delim = delimiterGiven ? delimiter.bytes() : std::string_view(",");
  if (delim.empty()) {
    KELVARO_FUZZ_CHECK(pieces.size() == 1 && pieces[0] == text);
    return;
  }
  // Joined with the delimiter, the pieces give the text itself, or a prefix of it that a
  // delimiter follows: a trailing delimiter adds no empty piece, and once the list is full the
  // rest of the text is dropped.
  std::string joined;
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    if (i > 0) joined.append(delim);
    joined.append(pieces[i].bytes());
  }
  const std::string_view bytes = text.bytes();
  const bool full = maxCount && static_cast<std::int64_t>(pieces.size()) == *maxCount;
  if (full) {
    KELVARO_FUZZ_CHECK(bytes == joined || bytes.starts_with(joined + std::string(delim)));
  } else {
    KELVARO_FUZZ_CHECK(bytes == joined || bytes == joined + std::string(delim));
  }
}

void CheckCompare(const Text& a, const Text& b, const Text& c) {
  for (const bool caseSensitive : {true, false}) {
    KELVARO_FUZZ_CHECK(kelvaro::CompareText(a, a, caseSensitive) == 0);
    const int ab = kelvaro::CompareText(a, b, caseSensitive);
    const int ba = kelvaro::CompareText(b, a, caseSensitive);
    KELVARO_FUZZ_CHECK(Sign(ab) == -Sign(ba));
    const int bc = kelvaro::CompareText(b, c, caseSensitive);
    const int ac = kelvaro::CompareText(a, c, caseSensitive);
    if (ab <= 0 && bc <= 0) KELVARO_FUZZ_CHECK(ac <= 0);
    if (ab == 0 && bc == 0) KELVARO_FUZZ_CHECK(ac == 0);
  }
  KELVARO_FUZZ_CHECK((kelvaro::CompareText(a, b, true) == 0) == (a == b));
  if (a == b) KELVARO_FUZZ_CHECK(kelvaro::CompareText(a, b, false) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Text keeps the bytes before the first zero byte.
  const Text whole = kelvaro::TextFromBytes({data, size});
  const std::string_view raw(reinterpret_cast<const char*>(data), size);
  KELVARO_FUZZ_CHECK(whole.bytes() == raw.substr(0, raw.find('\0')));
  KELVARO_FUZZ_CHECK(HoldsNoZeroByte(whole));

  FuzzedDataProvider in(data, size);
  const Text text = kelvaro::fuzz::ConsumeText(in, 4096);
  const Text sought = kelvaro::fuzz::ConsumeText(in, 16);
  const Text other = kelvaro::fuzz::ConsumeText(in, 16);
  const auto length = static_cast<std::int32_t>(text.size());
  const bool ignoreCase = in.ConsumeBool();
  const bool otherGiven = in.ConsumeBool();
  const std::optional<std::int32_t> start = kelvaro::fuzz::ConsumeOptionalPosition(in, length);
  const std::optional<std::int32_t> count = kelvaro::fuzz::ConsumeOptionalPosition(in, 4);
  const std::int32_t position = kelvaro::fuzz::ConsumePosition(in, length);
  const std::int32_t n = kelvaro::fuzz::ConsumePosition(in, length);

  KELVARO_FUZZ_CHECK(kelvaro::TextLength(text) == length);
  KELVARO_FUZZ_CHECK(kelvaro::TextEquals(text, sought) == (text.bytes() == sought.bytes()));
  KELVARO_FUZZ_CHECK(kelvaro::StartsWith(text, sought) == text.bytes().starts_with(sought.bytes()));
  const Text joined = kelvaro::JoinTexts({text, sought, Text(), other});
  KELVARO_FUZZ_CHECK(joined.bytes() == std::string(text.bytes()) + std::string(sought.bytes()) +
                                           std::string(other.bytes()));

  CheckSearches(text, sought, start, ignoreCase);
  CheckSlices(text, position, n);
  CheckCase(text);
  CheckTrims(text);
  CheckReplace(text, sought, other, otherGiven, start, count, !ignoreCase);
  CheckSplit(text, other, otherGiven, count);
  CheckCompare(text, sought, other);
  return 0;
}
