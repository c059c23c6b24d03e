#include "platform/request/Charsets.h"
#include "platform/request/AsciiCase.h"

#include <unicode/ucnv.h>

#include <algorithm>
#include <array>
#include <limits>

#include "text/IcuConverter.h"

namespace kelvaro::platform {

namespace {

std::string_view TrimmedSpaces(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const std::size_t last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

// ICU's length arguments are int32_t; longer inputs are refused rather than cut.
bool FitsIcu(std::size_t size) {
  return size <= static_cast<std::size_t>(std::numeric_limits<int32_t>::max() / 4);
}

}  // namespace

std::optional<std::string> IcuNameForCodePage(std::int32_t codePage) {
  switch (codePage) {
    case 65001:
      return "UTF-8";
    case 1200:
      return "UTF-16LE";
    case 1201:
      return "UTF-16BE";
    case 20127:
      return "US-ASCII";
    case 28591:
      return "ISO-8859-1";
    case 54936:
      return "GB18030";
    default:
      break;
  }
  if (codePage <= 0) return std::nullopt;
  const std::string number = std::to_string(codePage);
  for (const std::string& candidate : {"windows-" + number, "cp" + number, "ibm-" + number}) {
    if (OpenIcuConverter(candidate.c_str())) return candidate;
  }
  return std::nullopt;
}

std::optional<std::string> EncodeCharset(std::u16string_view text, const std::string& icuName) {
  // UTF-8, the URL code page of nearly every request, needs no converter: ToUtf8 writes what ICU's
  // UTF-8 converter writes, U+FFFD for an unpaired surrogate included.
  if (icuName == "UTF-8") return FitsIcu(text.size()) ? std::optional(ToUtf8(text)) : std::nullopt;
  IcuConverter converter = OpenIcuConverter(icuName.c_str());
  if (!converter || !FitsIcu(text.size())) return std::nullopt;
  const auto length = static_cast<int32_t>(text.size());
  // First pass measures, second converts.
  UErrorCode status = U_ZERO_ERROR;
  const int32_t needed = ucnv_fromUChars(converter.get(), nullptr, 0, text.data(), length, &status);
  if (U_FAILURE(status) && status != U_BUFFER_OVERFLOW_ERROR) return std::nullopt;
  std::string out(static_cast<std::size_t>(needed), '\0');
  status = U_ZERO_ERROR;
  ucnv_resetFromUnicode(converter.get());
  ucnv_fromUChars(converter.get(), out.data(), needed, text.data(), length, &status);
  if (U_FAILURE(status)) return std::nullopt;
  return out;
}

std::optional<std::u16string> DecodeCharset(std::string_view bytes, const std::string& icuName) {
  IcuConverter converter = OpenIcuConverter(icuName.c_str());
  if (!converter || !FitsIcu(bytes.size())) return std::nullopt;
  const auto length = static_cast<int32_t>(bytes.size());
  // First pass measures, second converts: a large body gets no oversized buffer.
  UErrorCode status = U_ZERO_ERROR;
  const int32_t needed = ucnv_toUChars(converter.get(), nullptr, 0, bytes.data(), length, &status);
  if (U_FAILURE(status) && status != U_BUFFER_OVERFLOW_ERROR) return std::nullopt;
  std::u16string out(static_cast<std::size_t>(needed), u'\0');
  status = U_ZERO_ERROR;
  ucnv_resetToUnicode(converter.get());
  ucnv_toUChars(converter.get(), out.data(), needed, bytes.data(), length, &status);
  if (U_FAILURE(status)) return std::nullopt;
  return out;
}

std::string ToUtf8(std::u16string_view text) {
  // At most three bytes per unit (a surrogate pair, two units, gives four); written in place.
  std::string out(text.size() * 3, '\0');
  char* target = out.data();
  auto put = [&target](char32_t byte) { *target++ = static_cast<char>(byte); };
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c < 0x80) {
      put(c);
      continue;
    }
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    if (c < 0x800) {
      put(0xC0 | (c >> 6));
      put(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      put(0xE0 | (c >> 12));
      put(0x80 | ((c >> 6) & 0x3F));
      put(0x80 | (c & 0x3F));
    } else {
      put(0xF0 | (c >> 18));
      put(0x80 | ((c >> 12) & 0x3F));
      put(0x80 | ((c >> 6) & 0x3F));
      put(0x80 | (c & 0x3F));
    }
  }
  out.resize(static_cast<std::size_t>(target - out.data()));
  return out;
}

bool IsValidUtf8(std::string_view bytes) {
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    std::size_t length = 0;
    char32_t minimum = 0;
    char32_t c = 0;
    if (lead < 0x80) {
      ++i;
      continue;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
      minimum = 0x80;
      c = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      minimum = 0x800;
      c = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      minimum = 0x10000;
      c = lead & 0x07;
    } else {
      return false;
    }
    if (i + length > bytes.size()) return false;
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(bytes[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      c = (c << 6) | (next & 0x3F);
    }
    if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
    i += length;
  }
  return true;
}

std::string CharsetOfContentType(std::string_view contentType) {
  std::size_t start = contentType.find(';');
  while (start != std::string_view::npos) {
    const std::size_t end = contentType.find(';', start + 1);
    const std::string_view parameter = TrimmedSpaces(contentType.substr(
        start + 1, end == std::string_view::npos ? std::string_view::npos : end - start - 1));
    const std::size_t equals = parameter.find('=');
    if (equals != std::string_view::npos &&
        AsciiLowered(TrimmedSpaces(parameter.substr(0, equals))) == "charset") {
      std::string_view value = TrimmedSpaces(parameter.substr(equals + 1));
      if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
        value = value.substr(1, value.size() - 2);
      }
      return std::string(value);
    }
    start = end;
  }
  return {};
}

std::u16string DecodeResponseText(std::string_view body, std::string_view contentType) {
  struct Mark {
    std::string_view bytes;
    const char* charset;
  };
  static constexpr std::array<Mark, 3> kMarks = {{
      {"\xEF\xBB\xBF", "UTF-8"},
      {"\xFF\xFE", "UTF-16LE"},
      {"\xFE\xFF", "UTF-16BE"},
  }};
  for (const Mark& mark : kMarks) {
    if (body.substr(0, mark.bytes.size()) == mark.bytes) {
      return DecodeCharset(body.substr(mark.bytes.size()), mark.charset).value_or(u"");
    }
  }
  std::string charset = AsciiLowered(CharsetOfContentType(contentType));
  if (charset == "gb2312" || charset == "gbk" || charset == "x-gbk" || charset == "cp936" ||
      charset == "csgb2312") {
    charset = "windows-936";
  }
  if (!charset.empty()) {
    if (std::optional<std::u16string> text = DecodeCharset(body, charset)) return *text;
  }
  return DecodeCharset(body, "UTF-8").value_or(u"");
}

std::u16string DecodeHeaderText(std::string_view bytes) {
  return DecodeCharset(bytes, IsValidUtf8(bytes) ? "UTF-8" : "windows-936").value_or(u"");
}

}  // namespace kelvaro::platform
