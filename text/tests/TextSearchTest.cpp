// FindText and FindTextReverse: ranges, the character walk, and ASCII-only case folding.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <string>

#include "text/TextOps.h"
#include "text/tests/TextTestSupport.h"

namespace kelvaro {
namespace {

using testing::Show;

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

// "\x81\x41" and "\x81\x61" are two-byte characters whose second bytes are 'A' and 'a';
// "\xD6\xD0\xCE\xC4" is the two characters for "Chinese" (zhong wen).
struct SearchCase {
  const char* label;
  const char* text;
  const char* sought;
  std::optional<std::int32_t> start;
  bool ignoreCase;
  std::int32_t expected;
};

TEST(FindTextTest, FollowsRangeWalkAndMatchingRules) {
  const SearchCase cases[] = {
      {"first occurrence", "abcabc", "bc", std::nullopt, false, 2},
      {"start skips an earlier occurrence", "abcabc", "bc", 3, false, 5},
      {"start on the occurrence", "abcabc", "bc", 5, false, 5},
      {"start 0 searches everything", "abcabc", "bc", 0, false, 2},
      {"negative start searches everything", "abcabc", "bc", -7, false, 2},
      {"lowest start", "abcabc", "bc", kMin, false, 2},
      {"start beyond the length", "abcabc", "c", 7, false, -1},
      {"highest start", "abcabc", "c", kMax, false, -1},
      {"start on the last byte", "abcabc", "c", 6, false, 6},
      {"match at the very end", "abc", "c", std::nullopt, false, 3},
      {"not present", "abcabc", "x", std::nullopt, false, -1},
      {"sought longer than the text", "ab", "abc", std::nullopt, false, -1},
      {"sought longer than the range", "abcab", "abc", 3, false, -1},
      {"empty sought, start 5 of 10 bytes", "0123456789", "", 5, false, 1},
      {"empty sought, start on the last byte", "0123456789", "", 10, false, 1},
      {"empty sought, start 11 of 10 bytes", "0123456789", "", 11, false, -1},
      {"empty sought, no start", "0123456789", "", std::nullopt, false, 1},
      {"empty sought in the empty text", "", "", std::nullopt, false, -1},
      {"anything in the empty text", "", "a", std::nullopt, false, -1},
      {"letter case matters", "Hello WORLD", "world", std::nullopt, false, -1},
      {"ignoreCase folds letters", "Hello WORLD", "world", std::nullopt, true, 7},
      {"ignoreCase folds the sought text too", "hello world", "WORLD", std::nullopt, true, 7},
      {"ignoreCase keeps other bytes exact", "a_b", "A-B", std::nullopt, true, -1},
      {"second byte 0x41 is not a character", "\x81\x41x", "A", std::nullopt, false, -1},
      {"second byte 0x41 is skipped, later A found",
       "\x81\x41"
       "A",
       "A", std::nullopt, false, 3},
      {"second byte 0x61 is not matched by ignoreCase", "\x81\x61", "A", std::nullopt, true, -1},
      {"walk begins at start on a second byte", "\x81\x41", "A", 2, false, 2},
      {"second byte folds under ignoreCase", "\x81\x41", "\x81\x61", std::nullopt, true, 1},
      {"second byte does not fold without it", "\x81\x41", "\x81\x61", std::nullopt, false, -1},
      {"high bytes never fold", "\xA3\xC1", "\xA3\xE1", std::nullopt, true, -1},
      {"a lead byte takes an ASCII byte along",
       "\xB0"
       "ab",
       "a", std::nullopt, false, -1},
      {"two-byte characters found whole", "x\xD6\xD0\xCE\xC4", "\xCE\xC4", std::nullopt, false, 4},
      {"pair across two characters not found", "\xD6\xD0\xCE\xC4", "\xD0\xCE", std::nullopt, false,
       -1},
      {"start on a second byte shifts the walk", "\xD6\xD0\xCE\xC4", "\xD0\xCE", 2, false, 2},
      {"shifted walk misses later characters", "\xD6\xD0\xCE\xC4\xD6\xD0", "\xD6\xD0", 2, false,
       -1},
      {"start on a lead byte finds them", "\xD6\xD0\xCE\xC4\xD6\xD0", "\xD6\xD0", 3, false, 5},
      {"odd run of lead bytes",
       "a\xB0\xB0\xB0\xB0\xB0"
       "b",
       "\xB0"
       "b",
       std::nullopt, false, 6},
      {"even run of lead bytes",
       "a\xB0\xB0\xB0\xB0"
       "b",
       "\xB0"
       "b",
       std::nullopt, false, -1},
      {"incomplete last character is still looked at", "ab\xB0", "\xB0", std::nullopt, false, 3},
      {"ASCII after a two-byte character",
       "\xD6\xD0"
       "bc",
       "bc", std::nullopt, false, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message()
                 << c.label << ": FindText(" << Show(c.text) << ", " << Show(c.sought) << ")");
    EXPECT_EQ(FindText(c.text, c.sought, c.start, c.ignoreCase), c.expected);
  }
}

TEST(FindTextReverseTest, FindsTheLastOccurrenceEndingBeforeStart) {
  const SearchCase cases[] = {
      {"start 6 keeps the match ending at 5", "abcabc", "bc", 6, false, 2},
      {"start 7 allows a match ending at 6", "abcabc", "bc", 7, false, 5},
      {"no start: the whole text", "abcabc", "bc", std::nullopt, false, 5},
      {"start beyond the length is cut", "abcabc", "bc", 100, false, 5},
      {"highest start", "abcabc", "bc", kMax, false, 5},
      {"start 5: occurrence must end by 4", "abcabc", "bc", 5, false, 2},
      {"start 1: empty range", "abcabc", "bc", 1, false, -1},
      {"start 0: empty range", "abcabc", "a", 0, false, -1},
      {"negative start: empty range", "abcabc", "a", -3, false, -1},
      {"lowest start: empty range", "abcabc", "a", kMin, false, -1},
      {"match at the first byte", "abcabc", "a", 2, false, 1},
      {"not present", "abcabc", "x", std::nullopt, false, -1},
      {"empty sought, range not empty", "abc", "", 2, false, 1},
      {"empty sought, no start", "abc", "", std::nullopt, false, 1},
      {"empty sought, start 1", "abc", "", 1, false, -1},
      {"empty sought in the empty text", "", "", std::nullopt, false, -1},
      {"overlapping candidates: the last one", "aaaa", "aa", std::nullopt, false, 3},
      {"searching again from the match found", "aaaa", "aa", 3, false, 1},
      {"letter case matters", "abcABC", "abc", std::nullopt, false, 1},
      {"ignoreCase folds letters", "abcABC", "abc", std::nullopt, true, 4},
      {"second byte 0x41 is not a character", "\x81\x41", "A", std::nullopt, false, -1},
      {"second byte skipped, earlier A found", "A\x81\x41", "A", std::nullopt, false, 1},
      {"second byte folds under ignoreCase", "\x81\x41\x81\x41", "\x81\x61", std::nullopt, true, 3},
      {"walk starts at the first byte, not at start", "\xD6\xD0\xCE\xC4", "\xD0\xCE", 5, false, -1},
      {"pairs within a run of lead bytes", "\xB0\xB0\xB0\xB0", "\xB0\xB0", std::nullopt, false, 3},
      {"lead run after ASCII", "a\xB0\xB0\xB0", "\xB0\xB0", std::nullopt, false, 2},
      {"incomplete last character is a step", "a\xB0\xB0\xB0", "\xB0", std::nullopt, false, 4},
      {"second byte inside a lead run", "a\xB0\xB0\xB0\xB0", "\xB0", std::nullopt, false, 4},
      {"two-byte character before start", "\xD6\xD0x\xD6\xD0", "\xD6\xD0", 4, false, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.label << ": FindTextReverse(" << Show(c.text) << ", "
                                      << Show(c.sought) << ")");
    EXPECT_EQ(FindTextReverse(c.text, c.sought, c.start, c.ignoreCase), c.expected);
  }
}

TEST(FindTextReverseTest, RepeatedSearchesVisitOccurrencesBackwards) {
  const Text text("k=1;k=2;\xD6\xD0k=3;");
  std::optional<std::int32_t> start;
  std::string seen;
  for (std::int32_t found; (found = FindTextReverse(text, "k=", start)) != kNotFound;) {
    seen += std::to_string(found) + " ";
    start = found;
  }
  EXPECT_EQ(seen, "11 5 1 ");
}

}  // namespace
}  // namespace kelvaro
