// Conversion between the bytes of one charset and UTF-16, over an ICU converter.
//
// Decoding never fails: every byte sequence that is not a character of the charset (an invalid
// or unassigned sequence, or an incomplete character at the end of the bytes) becomes one U+FFFD
// per offending sequence, as ICU delimits them (for UTF-8, one per maximal invalid subpart).
// Decoding does not drop a byte-order mark; callers that read from the start of a stream skip
// ByteOrderMark() themselves.
//
// Encoding never fails either: a character the charset lacks (and an unpaired surrogate) becomes
// "?" in the charset, or U+FFFD in the Unicode forms (UTF-8, UTF-16, UTF-32).
//
// A codec owns its converter: it is move-only and must be used by one thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "text/IcuConverter.h"

namespace kelvaro::platform {

class CharsetCodec {
 public:
  // The codec of an internet charset name (see CharsetNames.h); nullopt for an unknown name.
  static std::optional<CharsetCodec> ForName(std::string_view charsetName);
  // As above for a name given in UTF-16; a name with any character outside ASCII is unknown.
  static std::optional<CharsetCodec> ForName(std::u16string_view charsetName);

  CharsetCodec(CharsetCodec&&) noexcept = default;
  CharsetCodec& operator=(CharsetCodec&&) noexcept = default;
  CharsetCodec(const CharsetCodec&) = delete;
  CharsetCodec& operator=(const CharsetCodec&) = delete;
  ~CharsetCodec() = default;

  // ICU's name of the converter in use, e.g. "UTF-16LE" for "unicode".
  const char* ConverterName() const;

  // The charset's byte-order mark: EF BB BF for UTF-8, FF FE / FE FF for UTF-16 LE / BE,
  // FF FE 00 00 / 00 00 FE FF for UTF-32 LE / BE; empty for every other charset.
  std::span<const std::uint8_t> ByteOrderMark() const;
  // Length of the byte-order mark that `bytes` begins with: ByteOrderMark().size() or 0.
  std::size_t ByteOrderMarkLength(std::span<const std::uint8_t> bytes) const;

  // All of `bytes` as UTF-16. Time and memory are linear in the number of bytes.
  std::u16string Decode(std::span<const std::uint8_t> bytes);

  // Part of a decoding: the characters and the number of bytes they came from.
  struct Partial {
    std::u16string text;
    std::size_t bytesRead = 0;
  };
  // At most `maxCharacters` characters from the start of `bytes` (a surrogate pair is one
  // character). Fewer when the bytes end first; none for 0.
  Partial DecodeCharacters(std::span<const std::uint8_t> bytes, std::size_t maxCharacters);
  // The characters up to the first occurrence of `separator` (which must not be empty), without
  // it; bytesRead includes the separator's bytes. All of the bytes when no separator occurs.
  Partial DecodeLine(std::span<const std::uint8_t> bytes, std::u16string_view separator);

  // `text` in the charset, without a byte-order mark.
  std::vector<std::uint8_t> Encode(std::u16string_view text);

 private:
  explicit CharsetCodec(IcuConverter converter);

  // Decodes character by character while `more` (given the text so far) says to go on.
  template <typename KeepGoing>
  Partial DecodeWhile(std::span<const std::uint8_t> bytes, KeepGoing keepGoing);

  IcuConverter converter_;
};

}  // namespace kelvaro::platform
