#include "text/CodePage.h"

#include <unicode/ustring.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <utility>

#include "text/IcuConverter.h"

namespace kelvaro {

IcuConverter OpenIcuConverter(const char* name) {
  UErrorCode status = U_ZERO_ERROR;
  IcuConverter converter(ucnv_open(name, &status));
  if (U_FAILURE(status)) converter.reset();
  return converter;
}

namespace {

// A code page converter set to substitute "?" for what the code page lacks.
IcuConverter OpenCodePageConverter() {
  IcuConverter opened = OpenIcuConverter("windows-936");
  if (!opened) std::abort();  // ICU's data always holds this table; without it nothing works.
  UErrorCode status = U_ZERO_ERROR;
  ucnv_setSubstChars(opened.get(), "?", 1, &status);
  return opened;
}

// The code page converter of the calling thread.
UConverter* CodePageConverter() {
  thread_local IcuConverter converter = OpenCodePageConverter();
  return converter.get();
}

bool IsSurrogate(char32_t unit) {
  return unit >= 0xD800 && unit <= 0xDFFF;
}

// The code page bytes of the characters of the Basic Multilingual Plane outside ASCII and the
// surrogates, exactly as the converter gives them: 0 is no byte at all (a default-ignorable
// character the code page lacks, such as U+200B, is dropped), another value below 0x100 one byte
// (the euro sign is 0x80, any other character the code page lacks "?"), any other value two
// bytes, high byte first.
//
// The converter keeps no state from one character to the next, so looking characters up one by
// one gives what converting the whole text gives, several times faster: most of the converter's
// time per character goes to its general machinery, not to its table. The characters are kept in
// pages of 256, each made by one conversion when a text first needs it (some 20 microseconds and
// 512 bytes), so a program that meets a few Chinese names holds a few pages, not 128 KiB. Each
// thread keeps its own pages, as it keeps its own converter.
class BmpCodePage {
 public:
  std::uint16_t BytesOf(char16_t character) {
    std::unique_ptr<Page>& page = pages_[character >> 8];
    if (!page) page = MakePage(character >> 8);
    return (*page)[character & 0xFF];
  }

 private:
  using Page = std::array<std::uint16_t, 256>;

  static std::unique_ptr<Page> MakePage(unsigned number) {
    auto page = std::make_unique<Page>();  // a character that gives no byte keeps 0
    std::array<char16_t, 256> characters{};
    std::size_t count = 0;
    for (char32_t c = number << 8; c < (number + 1) << 8; ++c) {
      if (c >= 0x80 && !IsSurrogate(c)) characters[count++] = static_cast<char16_t>(c);
    }
    // At most two bytes per character; offsets tell which character each byte came from.
    std::array<char, 512> bytes{};
    std::array<int32_t, 512> offsets{};
    UConverter* converter = CodePageConverter();
    ucnv_resetFromUnicode(converter);
    char* target = bytes.data();
    const UChar* source = characters.data();
    UErrorCode status = U_ZERO_ERROR;
    ucnv_fromUnicode(converter, &target, bytes.data() + bytes.size(), &source,
                     characters.data() + count, offsets.data(), true, &status);
    if (U_FAILURE(status)) std::abort();  // the buffer always suffices
    const auto written = static_cast<std::size_t>(target - bytes.data());
    for (std::size_t i = 0; i < written;) {
      const int32_t from = offsets[i];
      std::size_t end = i + 1;
      while (end < written && offsets[end] == from) ++end;
      const auto first = static_cast<std::uint8_t>(bytes[i]);
      const auto second = end - i > 1 ? static_cast<std::uint8_t>(bytes[i + 1]) : std::uint8_t{0};
      (*page)[characters[static_cast<std::size_t>(from)] & 0xFF] =
          end - i > 1 ? static_cast<std::uint16_t>(first << 8 | second) : first;
      i = end;
    }
    return page;
  }

  std::array<std::unique_ptr<Page>, 256> pages_;
};

BmpCodePage& ThreadBmpCodePage() {
  thread_local BmpCodePage codePage;
  return codePage;
}

// Converts a run of surrogates (paired or not) through the converter itself into [target, end);
// returns the new end of the output, or nullptr on failure.
char* ConvertSurrogates(std::u16string_view run, char* target, char* end) {
  UConverter* converter = CodePageConverter();
  ucnv_resetFromUnicode(converter);
  const UChar* source = run.data();
  UErrorCode status = U_ZERO_ERROR;
  ucnv_fromUnicode(converter, &target, end, &source, run.data() + run.size(), nullptr, true,
                   &status);
  return U_FAILURE(status) ? nullptr : target;
}

// Where a UTF-16 text ends for the code page (before its first U+0000) and how many of its units
// lie above ASCII.
struct Extent {
  std::size_t length = 0;
  std::size_t nonAscii = 0;
};

// One pass over the units. Whole blocks are checked without an early exit, as plain reductions
// (least unit, count above ASCII) that the compiler turns into vector code; the block that holds
// the first U+0000 is walked unit by unit.
Extent Measure(std::u16string_view units) {
  constexpr std::size_t kBlock = 64;
  Extent extent;
  std::size_t i = 0;
  for (; i + kBlock <= units.size(); i += kBlock) {
    std::uint16_t least = 0xFFFF;
    std::uint16_t above = 0;  // at most kBlock
    for (std::size_t j = 0; j < kBlock; ++j) {
      const std::uint16_t unit = units[i + j];
      least = std::min(least, unit);
      above = static_cast<std::uint16_t>(above + (unit > 0x7F ? 1 : 0));
    }
    if (least == 0) break;
    extent.nonAscii += above;
  }
  for (; i < units.size() && units[i] != u'\0'; ++i) {
    extent.nonAscii += units[i] > 0x7F ? 1u : 0u;
  }
  extent.length = i;
  return extent;
}

bool IsAscii(std::string_view bytes) {
  for (const char c : bytes) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

}  // namespace

std::u16string ToUtf16(const Text& text) {
  const std::string_view bytes = text.bytes();
  if (IsAscii(bytes)) return std::u16string(bytes.begin(), bytes.end());
  UConverter* converter = CodePageConverter();
  ucnv_resetToUnicode(converter);
  // Every byte gives at most one UTF-16 unit.
  std::u16string out(bytes.size(), u'\0');
  UErrorCode status = U_ZERO_ERROR;
  const int32_t written = ucnv_toUChars(converter, out.data(), static_cast<int32_t>(out.size()),
                                        bytes.data(), static_cast<int32_t>(bytes.size()), &status);
  if (U_FAILURE(status) && status != U_STRING_NOT_TERMINATED_WARNING) return {};
  out.resize(static_cast<std::size_t>(written));
  return out;
}

Text FromUtf16(std::u16string_view utf16) {
  const Extent extent = Measure(utf16);
  utf16 = utf16.substr(0, extent.length);
  if (extent.nonAscii == 0) return Text(std::string(utf16.begin(), utf16.end()));

  BmpCodePage& codePage = ThreadBmpCodePage();
  // An ASCII unit gives one byte, any other unit at most two (a surrogate pair gives one "?"), so
  // the output fits; what the code page drops or shortens is cut off at the end.
  std::string out(utf16.size() + extent.nonAscii, '\0');
  char* target = out.data();
  char* const end = out.data() + out.size();
  for (std::size_t i = 0; i < utf16.size();) {
    const char16_t unit = utf16[i];
    if (unit < 0x80) {
      *target++ = static_cast<char>(unit);
      ++i;
    } else if (!IsSurrogate(unit)) {
      const std::uint16_t bytes = codePage.BytesOf(unit);
      if (bytes > 0xFF) *target++ = static_cast<char>(bytes >> 8);
      if (bytes != 0) *target++ = static_cast<char>(bytes & 0xFF);
      ++i;
    } else {
      std::size_t runEnd = i + 1;
      while (runEnd < utf16.size() && IsSurrogate(utf16[runEnd])) ++runEnd;
      target = ConvertSurrogates(utf16.substr(i, runEnd - i), target, end);
      if (target == nullptr) return {};
      i = runEnd;
    }
  }
  out.resize(static_cast<std::size_t>(target - out.data()));
  return Text(std::move(out));
}

std::string ToUtf8(const Text& text) {
  if (IsAscii(text.bytes())) return std::string(text.bytes());
  const std::u16string utf16 = ToUtf16(text);
  std::string out(utf16.size() * 3, '\0');
  int32_t written = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strToUTF8WithSub(out.data(), static_cast<int32_t>(out.size()), &written, utf16.data(),
                     static_cast<int32_t>(utf16.size()), 0xFFFD, nullptr, &status);
  if (U_FAILURE(status) && status != U_STRING_NOT_TERMINATED_WARNING) return {};
  out.resize(static_cast<std::size_t>(written));
  return out;
}

Text FromUtf8(std::string_view utf8) {
  if (IsAscii(utf8)) return Text(utf8);
  // Every UTF-8 byte gives at most one UTF-16 unit; invalid sequences become U+FFFD, then "?".
  std::u16string utf16(utf8.size(), u'\0');
  int32_t written = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strFromUTF8WithSub(utf16.data(), static_cast<int32_t>(utf16.size()), &written, utf8.data(),
                       static_cast<int32_t>(utf8.size()), 0xFFFD, nullptr, &status);
  if (U_FAILURE(status) && status != U_STRING_NOT_TERMINATED_WARNING) return {};
  utf16.resize(static_cast<std::size_t>(written));
  return FromUtf16(utf16);
}

}  // namespace kelvaro
