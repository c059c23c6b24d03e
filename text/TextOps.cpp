#include "text/TextOps.h"

#include <unicode/uchar.h>
#include <unicode/ucnv.h>

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <limits>
#include <string>
#include <string_view>

#include "text/IcuConverter.h"
#include "text/TextWalk.h"

namespace kelvaro {

namespace {

using walk::IsLeadByte;
using walk::kNone;

constexpr std::int32_t kMaxPosition = std::numeric_limits<std::int32_t>::max();

// Sizes and 0-based offsets as the 32-bit counts of the operations; a text too long to count
// saturates instead of wrapping to a negative number.
std::int32_t ToCount(std::size_t size) {
  return size > static_cast<std::size_t>(kMaxPosition) ? kMaxPosition
                                                       : static_cast<std::int32_t>(size);
}

// A 0-based offset as a 1-based position.
std::int32_t ToPosition(std::size_t offset) {
  return ToCount(offset + 1);
}

bool IsAsciiBlank(char c) {
  return c == ' ';
}

bool IsFullWidthBlank(std::string_view bytes, std::size_t i) {
  return static_cast<unsigned char>(bytes[i]) == 0xA1 && i + 1 < bytes.size() &&
         static_cast<unsigned char>(bytes[i + 1]) == 0xA1;
}

// The offset of the first character that is not a blank.
std::size_t SkipLeadingBlanks(std::string_view bytes) {
  std::size_t i = 0;
  while (i < bytes.size()) {
    if (IsAsciiBlank(bytes[i])) {
      ++i;
    } else if (IsFullWidthBlank(bytes, i)) {
      i += 2;
    } else {
      break;
    }
  }
  return i;
}

// ToUpper/ToLower: ASCII letters of single-byte characters change, two-byte characters stay,
// an incomplete last character is left out.
template <char kFrom, char kTo>
Text ConvertSingleByteLetters(const Text& text) {
  std::string out(text.bytes());
  std::size_t i = 0;
  while (i < out.size()) {
    const char c = out[i];
    if (!IsLeadByte(c)) {
      if (c >= kFrom && c <= static_cast<char>(kFrom + 25)) {
        out[i] = static_cast<char>(c - kFrom + kTo);
      }
      ++i;
    } else if (i + 1 < out.size()) {
      i += 2;
    } else {
      out.pop_back();
      break;
    }
  }
  return Text(out);
}

// The code page converter of the calling thread, set to fail on bytes it cannot map (the shared
// one in CodePage.cpp substitutes instead, which would make unmapped pairs look alike).
UConverter* StrictCodePageConverter() {
  thread_local IcuConverter converter = [] {
    IcuConverter opened = OpenIcuConverter("windows-936");
    if (!opened) std::abort();  // ICU's data always holds this table; without it nothing works.
    UErrorCode status = U_ZERO_ERROR;
    ucnv_setToUCallBack(opened.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    return opened;
  }();
  return converter.get();
}

// The Unicode character of a two-byte character, or -1 when the code page maps the pair to no
// single character.
UChar32 DecodeTwoByteCharacter(char lead, char trail) {
  UConverter* converter = StrictCodePageConverter();
  ucnv_resetToUnicode(converter);
  const char pair[2] = {lead, trail};
  UChar units[4];
  UErrorCode status = U_ZERO_ERROR;
  const int32_t written = ucnv_toUChars(converter, units, 4, pair, 2, &status);
  if (U_FAILURE(status) || written <= 0) return -1;
  UChar32 character = units[0];
  int32_t used = 1;
  if (units[0] >= 0xD800 && units[0] <= 0xDBFF && written >= 2 && units[1] >= 0xDC00 &&
      units[1] <= 0xDFFF) {
    character = 0x10000 + ((units[0] - 0xD800) << 10) + (units[1] - 0xDC00);
    used = 2;
  }
  // Two characters: the pair is not one character of the code page (0x80 alone is the euro sign).
  return used == written ? character : -1;
}

// A character's key for comparing without regard to case. Keys order all characters totally, so
// comparing a with b and b with a always give opposite signs:
//  - a single byte (ASCII, or an incomplete last character): the byte, a-z folded to A-Z;
//  - a two-byte character of the code page: above every single byte, its upper-cased code point;
//  - a two-byte sequence the code page lacks: above all of those, its two bytes.
struct CharacterKey {
  std::uint32_t key;
  std::size_t length;
};

CharacterKey ReadFoldedCharacter(std::string_view bytes, std::size_t i) {
  const auto lead = static_cast<unsigned char>(bytes[i]);
  if (lead < 0x80 || i + 1 >= bytes.size()) {
    return {lead >= 'a' && lead <= 'z' ? lead - std::uint32_t{'a' - 'A'} : lead, 1};
  }
  const auto trail = static_cast<unsigned char>(bytes[i + 1]);
  const UChar32 character = DecodeTwoByteCharacter(bytes[i], bytes[i + 1]);
  if (character < 0) return {0x200000u + (std::uint32_t{lead} << 8) + trail, 2};
  return {0x100u + static_cast<std::uint32_t>(u_toupper(character)), 2};
}

int CompareFolded(std::string_view a, std::string_view b) {
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < a.size() && j < b.size()) {
    const bool singleA = !IsLeadByte(a[i]) || i + 1 == a.size();
    const bool singleB = !IsLeadByte(b[j]) || j + 1 == b.size();
    if (!singleA && !singleB && a[i] == b[j] && a[i + 1] == b[j + 1]) {
      // The same two bytes are the same character whatever its case mapping.
      i += 2;
      j += 2;
      continue;
    }
    const CharacterKey keyA = ReadFoldedCharacter(a, i);
    const CharacterKey keyB = ReadFoldedCharacter(b, j);
    if (keyA.key != keyB.key) return keyA.key < keyB.key ? -1 : 1;
    i += keyA.length;
    j += keyB.length;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return 0;
}

}  // namespace

std::int32_t TextLength(const Text& text) {
  return ToCount(text.size());
}

bool TextEquals(const Text& a, const Text& b) {
  return a == b;
}

Text JoinTexts(std::initializer_list<Text> parts) {
  Text joined;
  for (const Text& part : parts) joined.Append(part);
  return joined;
}

Text TextLeft(const Text& text, std::int32_t n) {
  if (n <= 0) return {};
  return Text(text.bytes().substr(0, static_cast<std::size_t>(n)));
}

Text TextRight(const Text& text, std::int32_t n) {
  if (n <= 0) return {};
  const std::size_t keep = std::min(static_cast<std::size_t>(n), text.size());
  return Text(text.bytes().substr(text.size() - keep));
}

Text TextMid(const Text& text, std::int32_t position, std::int32_t n) {
  if (position < 1 || n <= 0 || static_cast<std::size_t>(position) > text.size()) return {};
  return Text(
      text.bytes().substr(static_cast<std::size_t>(position) - 1, static_cast<std::size_t>(n)));
}

std::int32_t FindText(const Text& text, const Text& sought, std::optional<std::int32_t> start,
                      bool ignoreCase) {
  const std::string_view bytes = text.bytes();
  std::size_t from = 0;
  if (start.has_value() && *start > 1) {
    if (static_cast<std::size_t>(*start) > bytes.size()) return kNotFound;
    from = static_cast<std::size_t>(*start) - 1;
  }
  if (from >= bytes.size()) return kNotFound;  // the empty text: the range is empty
  if (sought.empty()) return 1;
  const std::size_t found = walk::ForwardWalkSearch(bytes, sought.bytes(), ignoreCase).Next(from);
  return found == kNone ? kNotFound : ToPosition(found);
}

std::int32_t FindTextReverse(const Text& text, const Text& sought,
                             std::optional<std::int32_t> start, bool ignoreCase) {
  const std::string_view bytes = text.bytes();
  // The range is the first `range` bytes; start - 1 is formed in 64 bits so INT32_MIN cannot wrap.
  std::int64_t range =
      start.has_value() ? std::int64_t{*start} - 1 : static_cast<std::int64_t>(bytes.size());
  range = std::min(range, static_cast<std::int64_t>(bytes.size()));
  if (range <= 0) return kNotFound;
  if (sought.empty()) return 1;
  const std::size_t found =
      walk::FindLastInWalk(bytes, sought.bytes(), static_cast<std::size_t>(range), ignoreCase);
  return found == kNone ? kNotFound : ToPosition(found);
}

bool StartsWith(const Text& text, const Text& prefix) {
  return text.bytes().starts_with(prefix.bytes());
}

int CompareText(const Text& a, const Text& b, bool caseSensitive) {
  if (!caseSensitive) return CompareFolded(a.bytes(), b.bytes());
  // Byte order is character order here: a two-byte character compares as its two bytes.
  const int order = a.bytes().compare(b.bytes());
  return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

Text ToUpper(const Text& text) {
  return ConvertSingleByteLetters<'a', 'A'>(text);
}

Text ToLower(const Text& text) {
  return ConvertSingleByteLetters<'A', 'a'>(text);
}

Text TrimStart(const Text& text) {
  return Text(text.bytes().substr(SkipLeadingBlanks(text.bytes())));
}

Text TrimBoth(const Text& text) {
  const std::string_view bytes = text.bytes();
  const std::size_t begin = SkipLeadingBlanks(bytes);
  std::size_t end = begin;  // just past the last character that is not a blank
  std::size_t i = begin;
  while (i < bytes.size()) {
    if (!IsLeadByte(bytes[i])) {
      if (!IsAsciiBlank(bytes[i])) end = i + 1;
      ++i;
    } else if (i + 1 < bytes.size()) {
      if (!IsFullWidthBlank(bytes, i)) end = i + 2;
      i += 2;
    } else {
      // An incomplete last character is cut off, and the blanks before it stay.
      return Text(bytes.substr(begin, i - begin));
    }
  }
  return Text(bytes.substr(begin, end - begin));
}

Text ReplaceText(const Text& text, const Text& sought, const std::optional<Text>& replacement,
                 std::optional<std::int32_t> start, std::optional<std::int32_t> count,
                 bool caseSensitive) {
  const std::string_view bytes = text.bytes();
  const std::string_view soughtBytes = sought.bytes();
  // Offset of the first byte searched; start - 1 in 64 bits so INT32_MIN cannot wrap.
  const std::int64_t offset =
      start.has_value() ? std::max<std::int64_t>(std::int64_t{*start} - 1, 0) : 0;
  if (bytes.empty() || soughtBytes.empty() || offset >= static_cast<std::int64_t>(bytes.size()) ||
      count == 0) {
    return text;
  }
  const std::int64_t limit =
      count.has_value() && *count > 0 ? *count : std::numeric_limits<std::int64_t>::max();
  const std::string_view with = replacement.has_value() ? replacement->bytes() : std::string_view();

  std::size_t pos = static_cast<std::size_t>(offset);  // a character start; bytes before it are out
  Text out(bytes.substr(0, pos));
  walk::ForwardWalkSearch search(bytes, soughtBytes, !caseSensitive);
  std::int64_t done = 0;
  while (done < limit) {
    const std::size_t found = search.Next(pos);
    if (found == kNone) {
      // The walk goes on to where fewer bytes than `sought` remain; only a one-byte `sought` lets
      // it reach the last byte, and an incomplete last character that it meets there is dropped.
      const std::size_t lastByte = bytes.size() - 1;
      if (soughtBytes.size() == 1 && lastByte >= pos && IsLeadByte(bytes[lastByte]) &&
          walk::StartsCharacter(bytes, pos, lastByte)) {
        out.Append(bytes.substr(pos, lastByte - pos));
        return out;
      }
      break;
    }
    out.Append(bytes.substr(pos, found - pos));
    out.Append(with);
    pos = found + soughtBytes.size();
    ++done;
  }
  out.Append(bytes.substr(pos));
  return out;
}

TextList SplitText(const Text& text, const std::optional<Text>& delimiter,
                   std::optional<std::int32_t> maxCount) {
  const std::size_t limit = !maxCount.has_value() ? std::numeric_limits<std::size_t>::max()
                            : *maxCount < 0       ? 0
                                                  : static_cast<std::size_t>(*maxCount);
  const std::string_view bytes = text.bytes();
  if (bytes.empty() || limit == 0) return {};
  const std::string_view separator =
      delimiter.has_value() ? delimiter->bytes() : std::string_view(",");
  if (separator.empty()) return {text};

  TextList pieces;
  walk::ForwardWalkSearch search(bytes, separator, false);
  std::size_t pos = 0;  // start of the current piece, always a character start
  for (;;) {
    const std::size_t found = search.Next(pos);
    if (found == kNone) break;
    pieces.emplace_back(bytes.substr(pos, found - pos));
    if (pieces.size() == limit) return pieces;
    pos = found + separator.size();
  }
  if (pos < bytes.size()) pieces.emplace_back(bytes.substr(pos));
  return pieces;
}

std::int32_t CountOf(const TextList& list) {
  return ToCount(list.size());
}

Text TextFromBytes(std::span<const std::uint8_t> bytes) {
  return Text::FromBytes(bytes);
}

}  // namespace kelvaro
