#include "platform/stream/CharsetCodec.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#include <unicode/ustring.h>
#include <unicode/utf16.h>

#include <algorithm>
#include <array>
#include <limits>

#include "platform/stream/CharsetNames.h"

namespace kelvaro::platform {

namespace {

constexpr std::array<std::uint8_t, 3> kUtf8Mark{0xEF, 0xBB, 0xBF};
constexpr std::array<std::uint8_t, 2> kUtf16LittleEndianMark{0xFF, 0xFE};
constexpr std::array<std::uint8_t, 2> kUtf16BigEndianMark{0xFE, 0xFF};
constexpr std::array<std::uint8_t, 4> kUtf32LittleEndianMark{0xFF, 0xFE, 0x00, 0x00};
constexpr std::array<std::uint8_t, 4> kUtf32BigEndianMark{0x00, 0x00, 0xFE, 0xFF};

constexpr UChar kReplacementCharacter = 0xFFFD;

// ICU's own substitution gives U+001A for some unassigned single bytes; the stream promises
// U+FFFD for everything it cannot decode.
void SubstituteReplacementCharacter(const void* /*context*/, UConverterToUnicodeArgs* args,
                                    const char* /*codeUnits*/, int32_t /*length*/,
                                    UConverterCallbackReason reason, UErrorCode* status) {
  if (reason > UCNV_IRREGULAR) return;  // reset, close or clone: nothing to write
  *status = U_ZERO_ERROR;
  ucnv_cbToUWriteUChars(args, &kReplacementCharacter, 1, 0, status);
}

bool IsUnicodeForm(UConverterType type) {
  switch (type) {
    case UCNV_UTF8:
    case UCNV_UTF16_LittleEndian:
    case UCNV_UTF16_BigEndian:
    case UCNV_UTF32_LittleEndian:
    case UCNV_UTF32_BigEndian:
      return true;
    default:
      return false;
  }
}

const char* AsChars(const std::uint8_t* bytes) {
  // NOLINTNEXTLINE(cppcoreguidelines-pro-type-reinterpret-cast): ICU reads bytes as char.
  return reinterpret_cast<const char*>(bytes);
}

// The most units ICU's string functions take in one call.
constexpr std::size_t kLargestIcuLength = std::numeric_limits<int32_t>::max();

// UTF-8 is what the system reads nearly always; ICU's string function for it is markedly faster
// than its converter and substitutes the same way (one U+FFFD per maximal invalid subpart).
// nullopt when the bytes are too many for one call.
std::optional<std::u16string> DecodeUtf8(std::span<const std::uint8_t> bytes) {
  if (bytes.size() > kLargestIcuLength) return std::nullopt;
  // Never more UTF-16 units than UTF-8 bytes.
  std::u16string out(bytes.size(), u'\0');
  int32_t written = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strFromUTF8WithSub(out.data(), static_cast<int32_t>(out.size()), &written,
                       AsChars(bytes.data()), static_cast<int32_t>(bytes.size()),
                       kReplacementCharacter, nullptr, &status);
  if (U_FAILURE(status)) return std::nullopt;
  out.resize(static_cast<std::size_t>(written));
  return out;
}

std::size_t Distance(const char* from, const char* to) {
  return static_cast<std::size_t>(to - from);
}

}  // namespace

std::optional<CharsetCodec> CharsetCodec::ForName(std::string_view charsetName) {
  const std::optional<std::string> converterName = IcuConverterNameFor(charsetName);
  if (!converterName) return std::nullopt;
  IcuConverter converter = OpenIcuConverter(converterName->c_str());
  if (!converter) return std::nullopt;

  UErrorCode status = U_ZERO_ERROR;
  ucnv_setToUCallBack(converter.get(), SubstituteReplacementCharacter, nullptr, nullptr, nullptr,
                      &status);
  if (!IsUnicodeForm(ucnv_getType(converter.get()))) {
    // The Unicode forms keep ICU's substitute, U+FFFD in the form's own bytes.
    static constexpr UChar kQuestionMark[] = {u'?'};
    ucnv_setSubstString(converter.get(), kQuestionMark, 1, &status);
  }
  if (U_FAILURE(status)) return std::nullopt;
  return CharsetCodec(std::move(converter));
}

std::optional<CharsetCodec> CharsetCodec::ForName(std::u16string_view charsetName) {
  std::string ascii;
  ascii.reserve(charsetName.size());
  for (const char16_t unit : charsetName) {
    if (unit >= 0x80) return std::nullopt;
    ascii.push_back(static_cast<char>(unit));
  }
  return ForName(std::string_view(ascii));
}

CharsetCodec::CharsetCodec(IcuConverter converter) : converter_(std::move(converter)) {}

const char* CharsetCodec::ConverterName() const {
  UErrorCode status = U_ZERO_ERROR;
  const char* name = ucnv_getName(converter_.get(), &status);
  return U_SUCCESS(status) && name != nullptr ? name : "";
}

std::span<const std::uint8_t> CharsetCodec::ByteOrderMark() const {
  switch (ucnv_getType(converter_.get())) {
    case UCNV_UTF8:
      return kUtf8Mark;
    case UCNV_UTF16_LittleEndian:
      return kUtf16LittleEndianMark;
    case UCNV_UTF16_BigEndian:
      return kUtf16BigEndianMark;
    case UCNV_UTF32_LittleEndian:
      return kUtf32LittleEndianMark;
    case UCNV_UTF32_BigEndian:
      return kUtf32BigEndianMark;
    default:
      return {};
  }
}

std::size_t CharsetCodec::ByteOrderMarkLength(std::span<const std::uint8_t> bytes) const {
  const std::span<const std::uint8_t> mark = ByteOrderMark();
  if (mark.empty() || bytes.size() < mark.size()) return 0;
  return std::equal(mark.begin(), mark.end(), bytes.begin()) ? mark.size() : 0;
}

std::u16string CharsetCodec::Decode(std::span<const std::uint8_t> bytes) {
  UConverter* converter = converter_.get();
  ucnv_resetToUnicode(converter);
  if (bytes.empty()) return {};
  if (ucnv_getType(converter) == UCNV_UTF8) {
    if (std::optional<std::u16string> text = DecodeUtf8(bytes)) return std::move(*text);
  }

  const char* source = AsChars(bytes.data());
  const char* const sourceLimit = source + bytes.size();
  // One UTF-16 unit per byte is enough for nearly every charset; the loop grows the buffer for
  // the few that give more (UTF-32 into surrogate pairs, compressed Unicode forms).
  std::u16string out(bytes.size(), u'\0');
  std::size_t written = 0;
  for (;;) {
    UChar* target = out.data() + written;
    UChar* const targetLimit = out.data() + out.size();
    UErrorCode status = U_ZERO_ERROR;
    ucnv_toUnicode(converter, &target, targetLimit, &source, sourceLimit, nullptr, true, &status);
    written = static_cast<std::size_t>(target - out.data());
    if (status != U_BUFFER_OVERFLOW_ERROR) break;
    out.resize(out.size() * 2);
  }
  out.resize(written);
  return out;
}

template <typename KeepGoing>
CharsetCodec::Partial CharsetCodec::DecodeWhile(std::span<const std::uint8_t> bytes,
                                                KeepGoing keepGoing) {
  UConverter* converter = converter_.get();
  ucnv_resetToUnicode(converter);
  Partial partial;
  if (bytes.empty()) return partial;

  const char* const start = AsChars(bytes.data());
  const char* source = start;
  const char* const sourceLimit = start + bytes.size();
  while (keepGoing(partial.text)) {
    UErrorCode status = U_ZERO_ERROR;
    const UChar32 character = ucnv_getNextUChar(converter, &source, sourceLimit, &status);
    if (status == U_INDEX_OUTOFBOUNDS_ERROR) break;  // nothing left, not even buffered output
    if (U_FAILURE(status) || character < 0 || character > 0x10FFFF) {
      partial.text.push_back(kReplacementCharacter);
    } else if (U_IS_BMP(character)) {
      partial.text.push_back(static_cast<char16_t>(character));
    } else {
      partial.text.push_back(U16_LEAD(character));
      partial.text.push_back(U16_TRAIL(character));
    }
  }
  partial.bytesRead = Distance(start, source);
  return partial;
}

CharsetCodec::Partial CharsetCodec::DecodeCharacters(std::span<const std::uint8_t> bytes,
                                                     std::size_t maxCharacters) {
  // Each step of the decoding appends one character (one or two UTF-16 units).
  std::size_t characters = 0;
  return DecodeWhile(bytes, [&](std::u16string_view) { return characters++ < maxCharacters; });
}

CharsetCodec::Partial CharsetCodec::DecodeLine(std::span<const std::uint8_t> bytes,
                                               std::u16string_view separator) {
  bool found = false;
  Partial line = DecodeWhile(bytes, [&](std::u16string_view text) {
    found = !separator.empty() && text.ends_with(separator);
    return !found;
  });
  if (found) line.text.resize(line.text.size() - separator.size());
  return line;
}

std::vector<std::uint8_t> CharsetCodec::Encode(std::u16string_view text) {
  UConverter* converter = converter_.get();
  ucnv_resetFromUnicode(converter);
  if (text.empty()) return {};

  const UChar* source = text.data();
  const UChar* const sourceLimit = source + text.size();
  // Room for the widest character of the charset per unit, and a stateful charset's last shift.
  std::vector<std::uint8_t> out(
      text.size() * static_cast<std::size_t>(ucnv_getMaxCharSize(converter)) + 16);
  std::size_t written = 0;
  for (;;) {
    // NOLINTNEXTLINE(cppcoreguidelines-pro-type-reinterpret-cast): ICU writes bytes as char.
    char* const begin = reinterpret_cast<char*>(out.data());
    char* target = begin + written;
    char* const targetLimit = begin + out.size();
    UErrorCode status = U_ZERO_ERROR;
    ucnv_fromUnicode(converter, &target, targetLimit, &source, sourceLimit, nullptr, true, &status);
    written = Distance(begin, target);
    if (status != U_BUFFER_OVERFLOW_ERROR) break;
    out.resize(out.size() * 2);
  }
  out.resize(written);
  return out;
}

}  // namespace kelvaro::platform
