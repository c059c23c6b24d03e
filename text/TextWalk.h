// Internal to the text toolkit: the character walk over code page 936 bytes and the searches
// built on it. Positions here are 0-based byte offsets (size_t); TextOps.cpp turns them into the
// 1-based positions of the public operations.
//
// The walk: a byte below 0x80 is one character; a byte of 0x80 or above (a lead byte) takes the
// byte after it along, whatever that byte is. A lead byte that is the last byte is an incomplete
// character, and the walk ends after it.
//
// Why the searches are fast and still exact: a byte below 0x80 is never a lead byte, so the byte
// after it always starts a character. Whether a candidate position c starts a character of a walk
// that passed a known character start p <= c therefore only depends on the run of lead-range bytes
// just before c: c starts a character exactly when that run, counted back to p or to the nearest
// byte below 0x80, has an even length. Candidates come from memchr/memrchr on the first byte of
// the sought text, and the run before each candidate is scanned at most once, so every search is
// linear and runs at memchr speed over ASCII.
#pragma once

#include <array>
#include <cstddef>
#include <cstring>
#include <string_view>

namespace kelvaro::walk {

inline constexpr std::size_t kNone = std::string_view::npos;

inline bool IsLeadByte(char c) {
  return static_cast<unsigned char>(c) >= 0x80;
}

// ASCII-only folding: A-Z become a-z, every other byte stays.
inline constexpr std::array<unsigned char, 256> kFoldTable = [] {
  std::array<unsigned char, 256> table{};
  for (std::size_t i = 0; i < table.size(); ++i) {
    table[i] = static_cast<unsigned char>(i >= 'A' && i <= 'Z' ? i + ('a' - 'A') : i);
  }
  return table;
}();

inline unsigned char Fold(char c) {
  return kFoldTable[static_cast<unsigned char>(c)];
}

// The other letter case of an ASCII letter, or the byte itself.
inline char OtherCase(char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<char>(c + ('a' - 'A'));
  if (c >= 'a' && c <= 'z') return static_cast<char>(c - ('a' - 'A'));
  return c;
}

inline bool BytesMatch(const char* at, std::string_view sought, bool ignoreCase) {
  if (!ignoreCase) return std::memcmp(at, sought.data(), sought.size()) == 0;
  for (std::size_t i = 0; i < sought.size(); ++i) {
    if (Fold(at[i]) != Fold(sought[i])) return false;
  }
  return true;
}

// True when `c` starts a character of a walk that started a character at `boundary` (<= c).
inline bool StartsCharacter(std::string_view text, std::size_t boundary, std::size_t c) {
  std::size_t q = c;
  while (q > boundary && IsLeadByte(text[q - 1])) --q;
  return (c - q) % 2 == 0;
}

// Finds, left to right, the positions below `limit` holding byte `first` (or its other letter
// case when folding). Positions asked for must not decrease; each byte is scanned once per case.
class ForwardByteFinder {
 public:
  ForwardByteFinder(std::string_view text, char first, bool ignoreCase, std::size_t limit)
      : text_(text), first_(first), other_(ignoreCase ? OtherCase(first) : first), limit_(limit) {}

  // The first such position at or after `from`, or `limit` when there is none.
  std::size_t Next(std::size_t from) {
    if (from >= limit_) return limit_;
    if (other_ == first_) return Scan(first_, from);
    if (nextFirst_ < from || !known_) nextFirst_ = Scan(first_, from);
    if (nextOther_ < from || !known_) nextOther_ = Scan(other_, from);
    known_ = true;
    return nextFirst_ < nextOther_ ? nextFirst_ : nextOther_;
  }

 private:
  std::size_t Scan(char byte, std::size_t from) const {
    const void* hit = std::memchr(text_.data() + from, byte, limit_ - from);
    return hit == nullptr ? limit_
                          : static_cast<std::size_t>(static_cast<const char*>(hit) - text_.data());
  }

  std::string_view text_;
  char first_;
  char other_;
  std::size_t limit_;
  bool known_ = false;
  std::size_t nextFirst_ = 0;
  std::size_t nextOther_ = 0;
};

// Finds, right to left, the positions at or below a bound holding byte `first` (or its other
// letter case). Bounds asked for must not increase.
class BackwardByteFinder {
 public:
  BackwardByteFinder(std::string_view text, char first, bool ignoreCase)
      : text_(text), first_(first), other_(ignoreCase ? OtherCase(first) : first) {}

  // The last such position at or below `last`, or kNone.
  std::size_t Prev(std::size_t last) {
    if (other_ == first_) return Scan(first_, last);
    if (!known_ || (prevFirst_ != kNone && prevFirst_ > last)) prevFirst_ = Scan(first_, last);
    if (!known_ || (prevOther_ != kNone && prevOther_ > last)) prevOther_ = Scan(other_, last);
    known_ = true;
    if (prevFirst_ == kNone) return prevOther_;
    if (prevOther_ == kNone) return prevFirst_;
    return prevFirst_ > prevOther_ ? prevFirst_ : prevOther_;
  }

 private:
  std::size_t Scan(char byte, std::size_t last) const {
    const void* hit = memrchr(text_.data(), byte, last + 1);
    return hit == nullptr ? kNone
                          : static_cast<std::size_t>(static_cast<const char*>(hit) - text_.data());
  }

  std::string_view text_;
  char first_;
  char other_;
  bool known_ = false;
  std::size_t prevFirst_ = kNone;
  std::size_t prevOther_ = kNone;
};

// Repeated forward search for a non-empty `sought` along one walk: each call gives the first
// character start at or after a known character start where `sought` matches wholly inside the
// text. Calls must pass non-decreasing character starts of the same walk.
class ForwardWalkSearch {
 public:
  ForwardWalkSearch(std::string_view text, std::string_view sought, bool ignoreCase)
      : text_(text),
        sought_(sought),
        ignoreCase_(ignoreCase),
        limit_(sought.size() <= text.size() ? text.size() - sought.size() + 1 : 0),
        finder_(text, sought.front(), ignoreCase, limit_) {}

  std::size_t Next(std::size_t boundary) {
    std::size_t from = boundary;
    for (;;) {
      const std::size_t c = finder_.Next(from);
      if (c >= limit_) return kNone;
      if (!StartsCharacter(text_, boundary, c)) {
        // c is the second byte of a character that began at c - 1, so c + 1 starts one.
        boundary = c + 1;
        from = c + 1;
        continue;
      }
      if (BytesMatch(text_.data() + c, sought_, ignoreCase_)) return c;
      boundary = c;
      from = c + 1;
    }
  }

 private:
  std::string_view text_;
  std::string_view sought_;
  bool ignoreCase_;
  std::size_t limit_;
  ForwardByteFinder finder_;
};

// The last character start c of the walk from the text's first byte where the non-empty `sought`
// matches and ends within the first `end` bytes (c + sought.size() <= end), or kNone.
inline std::size_t FindLastInWalk(std::string_view text, std::string_view sought, std::size_t end,
                                  bool ignoreCase) {
  if (sought.size() > end || end > text.size()) return kNone;
  BackwardByteFinder finder(text, sought.front(), ignoreCase);
  // Cache of the last run of lead-range bytes scanned: bytes [runStart, runTop) are all >= 0x80
  // and runStart starts a character, so any c in (runStart, runTop] is settled by parity.
  std::size_t runStart = 0;
  std::size_t runTop = 0;
  std::size_t last = end - sought.size();
  for (;;) {
    const std::size_t c = finder.Prev(last);
    if (c == kNone) return kNone;
    bool startsCharacter = true;
    if (c > 0 && IsLeadByte(text[c - 1])) {
      if (!(runStart < c && c <= runTop)) {
        std::size_t q = c - 1;
        while (q > 0 && IsLeadByte(text[q - 1])) --q;
        runStart = q;
        runTop = c;
      }
      startsCharacter = (c - runStart) % 2 == 0;
    }
    if (startsCharacter && BytesMatch(text.data() + c, sought, ignoreCase)) return c;
    if (c == 0) return kNone;
    last = c - 1;
  }
}

}  // namespace kelvaro::walk
