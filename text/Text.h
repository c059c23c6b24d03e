// Text: the system's one string type, a value over bytes in code page 936 (GBK).
//
// Invariants:
//  - A Text never holds a zero byte. Building one from bytes keeps the bytes before the first zero
//    byte and drops the rest, so every way of making a Text keeps the invariant.
//  - The empty text and a missing (never given) text are one and the same value.
//  - Lengths and positions count bytes. Operations (TextOps.h) use 1-based positions and -1 for
//    "not found"; this class itself only stores and exposes bytes.
//  - A byte of 0x80 or above begins a two-byte character together with the byte after it; a byte
//    of 0x80 or above that is the last byte is an incomplete character. Only the "walking"
//    operations in TextOps.h care; storage is plain bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kelvaro {

class Text {
 public:
  // The empty text.
  Text() = default;
  // The bytes of `bytes` up to, not including, its first zero byte (all of them if none is zero).
  Text(std::string_view bytes);  // NOLINT(google-explicit-constructor): literals read naturally.
  Text(const char* bytes);       // NOLINT(google-explicit-constructor); nullptr gives the empty text.
  // Takes over the storage of `bytes`, which is cut before its first zero byte (if any).
  explicit Text(std::string&& bytes);
  // As above, from raw bytes.
  static Text FromBytes(std::span<const std::uint8_t> bytes);

  // Number of bytes.
  std::size_t size() const { return bytes_.size(); }
  bool empty() const { return bytes_.empty(); }
  // The bytes, without a terminating zero in the view (one follows in memory, see c_str()).
  std::string_view bytes() const { return bytes_; }
  // Zero-terminated; since a Text holds no zero byte, the terminator marks its true end.
  const char* c_str() const { return bytes_.c_str(); }
  // Byte at a 0-based index; index must be below size().
  std::uint8_t at(std::size_t index) const { return static_cast<std::uint8_t>(bytes_[index]); }

  // Appends bytes (up to the first zero byte of `more`).
  Text& Append(std::string_view more);
  Text& Append(const char* more) { return Append(std::string_view(more)); }
  Text& Append(const Text& more) {
    bytes_ += more.bytes_;
    return *this;
  }

  friend bool operator==(const Text& a, const Text& b) = default;

 private:
  std::string bytes_;
};

// An ordered list of texts, any of which may be empty (the result of SplitText).
using TextList = std::vector<Text>;

}  // namespace kelvaro
