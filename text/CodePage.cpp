#include "text/CodePage.h"

#include <unicode/ustring.h>

#include <cstdlib>

#include "text/IcuConverter.h"

namespace kelvaro {

IcuConverter OpenIcuConverter(const char* name) {
  UErrorCode status = U_ZERO_ERROR;
  IcuConverter converter(ucnv_open(name, &status));
  if (U_FAILURE(status)) converter.reset();
  return converter;
}

namespace {

// The code page converter of the calling thread, set to substitute "?" for what it lacks.
UConverter* CodePageConverter() {
  thread_local IcuConverter converter = [] {
    IcuConverter opened = OpenIcuConverter("windows-936");
    if (!opened) std::abort();  // ICU's data always holds this table; without it nothing works.
    UErrorCode status = U_ZERO_ERROR;
    ucnv_setSubstChars(opened.get(), "?", 1, &status);
    return opened;
  }();
  return converter.get();
}

std::u16string_view UpToFirstNul(std::u16string_view utf16) {
  const std::size_t nul = utf16.find(u'\0');
  return nul == std::u16string_view::npos ? utf16 : utf16.substr(0, nul);
}

bool IsAscii(std::string_view bytes) {
  for (const char c : bytes) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

bool IsAscii(std::u16string_view units) {
  for (const char16_t c : units) {
    if (c >= 0x80) return false;
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
  utf16 = UpToFirstNul(utf16);
  if (IsAscii(utf16)) {
    std::string ascii(utf16.begin(), utf16.end());
    return Text(ascii);
  }
  UConverter* converter = CodePageConverter();
  ucnv_resetFromUnicode(converter);
  // Every UTF-16 unit gives at most two bytes.
  std::string out(utf16.size() * 2, '\0');
  UErrorCode status = U_ZERO_ERROR;
  const int32_t written =
      ucnv_fromUChars(converter, out.data(), static_cast<int32_t>(out.size()), utf16.data(),
                      static_cast<int32_t>(utf16.size()), &status);
  if (U_FAILURE(status) && status != U_STRING_NOT_TERMINATED_WARNING) return {};
  out.resize(static_cast<std::size_t>(written));
  return Text(out);
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
