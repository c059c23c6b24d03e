#include "platform/stream/CharsetNames.h"

#include <unicode/ucnv.h>

#include <algorithm>
#include <array>
#include <cctype>

namespace kelvaro::platform {

namespace {

struct PlatformName {
  std::string_view name;  // lower case
  const char* converter;  // ICU converter name
};

// Names whose platform meaning differs from ICU's reading of them, or that ICU lacks; first the
// name of nearly every response body, which the registries would give alike, kept here so that
// the common case asks ICU nothing.
constexpr std::array kPlatformNames{
    PlatformName{"utf-8", "UTF-8"},
    PlatformName{"unicode", "UTF-16LE"},
    PlatformName{"utf-16", "UTF-16LE"},
    PlatformName{"utf-16le", "UTF-16LE"},
    PlatformName{"ucs-2", "UTF-16LE"},
    PlatformName{"iso-10646-ucs-2", "UTF-16LE"},
    PlatformName{"csunicode", "UTF-16LE"},
    PlatformName{"unicodefffe", "UTF-16BE"},
    PlatformName{"utf-16be", "UTF-16BE"},
    PlatformName{"utf-32", "UTF-32LE"},
    PlatformName{"utf-32le", "UTF-32LE"},
    PlatformName{"utf-32be", "UTF-32BE"},
    PlatformName{"unicode-1-1-utf-8", "UTF-8"},
    PlatformName{"unicode-2-0-utf-8", "UTF-8"},
    PlatformName{"x-unicode20utf8", "UTF-8"},
    PlatformName{"gb2312", "windows-936-2000"},
    PlatformName{"gbk", "windows-936-2000"},
    PlatformName{"x-gbk", "windows-936-2000"},
    PlatformName{"cp936", "windows-936-2000"},
    PlatformName{"windows-936", "windows-936-2000"},
    PlatformName{"csgb2312", "windows-936-2000"},
    PlatformName{"gb_2312-80", "windows-936-2000"},
    PlatformName{"csiso58gb231280", "windows-936-2000"},
    PlatformName{"iso-ir-58", "windows-936-2000"},
    PlatformName{"chinese", "windows-936-2000"},
    PlatformName{"euc-cn", "windows-936-2000"},
    PlatformName{"x-euc-cn", "windows-936-2000"},
    PlatformName{"gb18030", "gb18030"},
    PlatformName{"big5", "windows-950-2000"},
    PlatformName{"cn-big5", "windows-950-2000"},
    PlatformName{"x-x-big5", "windows-950-2000"},
    PlatformName{"csbig5", "windows-950-2000"},
    PlatformName{"shift_jis", "ibm-943_P15A-2003"},
    PlatformName{"shift-jis", "ibm-943_P15A-2003"},
    PlatformName{"sjis", "ibm-943_P15A-2003"},
    PlatformName{"x-sjis", "ibm-943_P15A-2003"},
    PlatformName{"ms_kanji", "ibm-943_P15A-2003"},
    PlatformName{"csshiftjis", "ibm-943_P15A-2003"},
    PlatformName{"windows-31j", "ibm-943_P15A-2003"},
    PlatformName{"ks_c_5601-1987", "windows-949-2000"},
    PlatformName{"ks_c_5601", "windows-949-2000"},
    PlatformName{"ks_c_5601-1989", "windows-949-2000"},
    PlatformName{"ksc_5601", "windows-949-2000"},
    PlatformName{"csksc56011987", "windows-949-2000"},
    PlatformName{"korean", "windows-949-2000"},
    PlatformName{"cp1252", "ibm-5348_P100-1997"},
};

// The registries whose names count as internet charset names, in the order they are asked.
constexpr std::array kRegistries{"WINDOWS", "IANA", "MIME"};

constexpr std::size_t kLongestName = 64;

bool IsNameCharacter(char c) {
  const auto u = static_cast<unsigned char>(c);
  return std::isalnum(u) != 0 || c == '-' || c == '_' || c == '.' || c == ':' || c == '+' ||
         c == '(' || c == ')';
}

std::string ToLower(std::string_view name) {
  std::string lower(name);
  std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  });
  return lower;
}

// ICU reads its byte-order-sensing forms as big-endian without a mark; the platform reads the
// bare names as little-endian.
std::string WithPlatformByteOrder(std::string converter) {
  if (converter == "UTF-16") return "UTF-16LE";
  if (converter == "UTF-32") return "UTF-32LE";
  return converter;
}

}  // namespace

std::optional<std::string> IcuConverterNameFor(std::string_view charsetName) {
  if (charsetName.empty() || charsetName.size() > kLongestName) return std::nullopt;
  if (!std::all_of(charsetName.begin(), charsetName.end(), IsNameCharacter)) return std::nullopt;

  const std::string lower = ToLower(charsetName);
  for (const PlatformName& entry : kPlatformNames) {
    if (entry.name == lower) return std::string(entry.converter);
  }
  for (const char* registry : kRegistries) {
    UErrorCode status = U_ZERO_ERROR;
    const char* converter = ucnv_getCanonicalName(lower.c_str(), registry, &status);
    if (U_SUCCESS(status) && converter != nullptr) {
      return WithPlatformByteOrder(converter);
    }
  }
  return std::nullopt;
}

}  // namespace kelvaro::platform
