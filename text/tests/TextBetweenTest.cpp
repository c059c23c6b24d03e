#include "text/TextBetween.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "text/tests/TextTestSupport.h"

namespace kelvaro {
namespace {

using testing::Show;

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

struct Options {
  bool widest = false;
  bool fromEnd = false;
  bool ignoreCase = false;
  std::int32_t startIn = 0;
  std::int32_t endIn = 0;
};

struct BetweenCase {
  const char* label;
  const char* text;
  const char* left;
  const char* right;
  Options options;
  const char* expected;
  std::int32_t startOut;
  std::int32_t endOut;
};

void Check(const BetweenCase& c) {
  SCOPED_TRACE(::testing::Message() << c.label << ": " << Show(c.text) << " between "
                                    << Show(c.left) << " and " << Show(c.right));
  std::int32_t start = c.options.startIn;
  std::int32_t end = c.options.endIn;
  const Text between = TextBetween(c.text, c.left, c.right, c.options.widest, c.options.fromEnd,
                                   c.options.ignoreCase, &start, &end);
  EXPECT_EQ(Show(between), Show(c.expected));
  EXPECT_EQ(start, c.startOut);
  EXPECT_EQ(end, c.endOut);
  // The positions are only written out: the text is the same without them.
  if (c.options.startIn == 0 && c.options.endIn == 0) {
    EXPECT_EQ(TextBetween(c.text, c.left, c.right, c.options.widest, c.options.fromEnd,
                          c.options.ignoreCase)
                  .bytes(),
              between.bytes());
  }
}

TEST(TextBetweenForwardTest, CutsBetweenTheFirstLeftAndTheNextRight) {
  const BetweenCase cases[] = {
      // k(1) =(2) v(3) 1(4) ;(5) k(6) =(7) v(8) 2(9) ;(10)
      {"second pair ignored", "k=v1;k=v2;", "k=", ";", {}, "v1", 1, 5},
      {"JSON field",
       "{\"code\":\"0\",\"prov\":\"\xB1\xB1\xBE\xA9\",\"city\":\"x\"}",
       "\"prov\":\"",
       "\"",
       {},
       "\xB1\xB1\xBE\xA9",
       13,
       25},
      {"right absent", "k=v1", "k=", ";", {}, "", 1, -1},
      {"left absent", "abc", "x=", ";", {}, "", -1, 4},
      {"right empty: to the end", "k=v1;", "k=", "", {}, "v1;", 1, 6},
      {"left empty: from the first byte", "v1;k", "", ";", {}, "v1", 1, 3},
      {"both empty: the whole text", "abcdef", "", "", {}, "abcdef", 1, 7},
      {"both empty, endPos 5", "abcdef", "", "", {.endIn = 5}, "abcd", 1, 5},
      {"right empty, endPos limits", "k=value", "k=", "", {.endIn = 5}, "va", 1, 5},
      {"endPos highest", "abcdef", "", "", {.endIn = kMax}, "abcdef", 1, kMax},
      {"negative endPos: length + 1", "abcdef", "", "", {.endIn = -4}, "abcdef", 1, 7},
      {"delimiters adjacent", "k=;", "k=", ";", {}, "", 1, 3},
      {"right found only before left", "b;k=v", "k=", ";", {}, "", 3, -1},
      {"startPos 4 skips the left at 2", "xk=k=2;", "k=", ";", {.startIn = 4}, "2", 4, 7},
      {"startPos 0 takes the left at 2", "xk=k=2;", "k=", ";", {}, "k=2", 2, 7},
      {"startPos past the left", "k=1;", "k=", ";", {.startIn = 2}, "", -1, 5},
      {"startPos highest", "k=1;", "k=", ";", {.startIn = kMax}, "", -1, 5},
      {"startPos lowest", "k=1;", "k=", ";", {.startIn = kMin}, "1", 1, 4},
      {"startPos ignored for an empty left", "abc;", "", ";", {.startIn = 3}, "abc", 1, 4},
      {"right searched after the left only", "k=k=;", "k=", "=", {}, "k", 1, 4},
      {"Chinese value", "\xD6\xD0:\xCE\xC4;", ":", ";", {}, "\xCE\xC4", 3, 6},
      {"delimiter inside a second byte", "\x81=v;", "=", ";", {}, "", -1, 5},
      {"left case matters", "SID=abc;", "sid=", ";", {}, "", -1, 9},
      // S(13) I D =(16) a(17) b c ;(20)
      {"ignoreCase on the left",
       "Set-Cookie: SID=abc;",
       "sid=",
       ";",
       {.ignoreCase = true},
       "abc",
       13,
       20},
      {"ignoreCase keeps other bytes exact",
       "SID:abc;",
       "sid=",
       ";",
       {.ignoreCase = true},
       "",
       -1,
       9},
      {"ignoreCase on the right", "<A>x</A>", "<a>", "</a>", {.ignoreCase = true}, "x", 1, 5},
      {"ignoreCase second bytes", "\x81\x41=v;", "\x81\x61=", ";", {.ignoreCase = true}, "v", 1, 5},
      // [(1) a ](3) b ](5) c ](7)
      {"widest: the last right", "[a]b]c]", "[", "]", {.widest = true}, "a]b]c", 1, 7},
      {"widest: right must end before endPos",
       "[a]b]c]",
       "[",
       "]",
       {.widest = true, .endIn = 7},
       "a]b",
       1,
       5},
      {"widest: last right before the left", "]x[y", "[", "]", {.widest = true}, "", 3, 1},
      {"widest: right absent", "[ab", "[", "]", {.widest = true}, "", 1, -1},
      {"widest with ignoreCase",
       "<a>1</A>2</a>",
       "<A>",
       "</A>",
       {.widest = true, .ignoreCase = true},
       "1</A>2",
       1,
       10},
  };
  for (const auto& c : cases) Check(c);
}

TEST(TextBetweenBackwardTest, LocatesTheRightDelimiterFirst) {
  const BetweenCase cases[] = {
      // L(1) 1(2) L(3) 2(4) R(5)
      {"nearer of two lefts", "L1L2R", "L", "R", {.fromEnd = true}, "2", 3, 5},
      {"widest: the first left", "L1L2R", "L", "R", {.widest = true, .fromEnd = true}, "1L2", 1, 5},
      {"last right wins", "LaRLbR", "L", "R", {.fromEnd = true}, "b", 4, 6},
      {"endPos bounds the right", "LaRLbR", "L", "R", {.fromEnd = true, .endIn = 6}, "a", 1, 3},
      // |(1) a |(3) b |(5)
      {"same delimiter: the last two", "|a|b|", "|", "|", {.fromEnd = true}, "b", 3, 5},
      {"same delimiter ignores widest",
       "|a|b|",
       "|",
       "|",
       {.widest = true, .fromEnd = true},
       "b",
       3,
       5},
      {"same delimiter once", "a|b", "|", "|", {.fromEnd = true}, "", -1, 2},
      {"right absent", "L1", "L", "R", {.fromEnd = true}, "", -1, -1},
      {"right absent, widest", "L1", "L", "R", {.widest = true, .fromEnd = true}, "", 1, -1},
      {"left absent", "abR", "L", "R", {.fromEnd = true}, "", -1, 3},
      {"left only after the right", "RaL", "L", "R", {.fromEnd = true}, "", -1, 1},
      {"widest left after the right", "RaL", "L", "R", {.widest = true, .fromEnd = true}, "", 3, 1},
      {"right empty: to endPos", "aLbLc", "L", "", {.fromEnd = true}, "c", 4, 6},
      {"left empty", "ab;c", "", ";", {.fromEnd = true}, "ab", 1, 3},
      {"startPos in has no effect", "L1L2R", "L", "R", {.fromEnd = true, .startIn = 5}, "2", 3, 5},
      // x(1) a x(3) b X(5)
      {"x and X differ: widest left",
       "xaxbX",
       "x",
       "X",
       {.widest = true, .fromEnd = true},
       "axb",
       1,
       5},
      {"ignoreCase makes x and X one delimiter",
       "xaxbX",
       "x",
       "X",
       {.widest = true, .fromEnd = true, .ignoreCase = true},
       "b",
       3,
       5},
      {"searches stay case-sensitive",
       "a[B]",
       "[b",
       "]",
       {.fromEnd = true, .ignoreCase = true},
       "",
       -1,
       4},
      {"two-byte delimiters",
       "\xD6\xD0"
       "1\xD6\xD0"
       "2\xCE\xC4",
       "\xD6\xD0",
       "\xCE\xC4",
       {.fromEnd = true},
       "2",
       4,
       7},
      {"second byte is not a delimiter", "LxR\x81R", "L", "R", {.fromEnd = true}, "x", 1, 3},
  };
  for (const auto& c : cases) Check(c);
}

TEST(TextBetweenTest, EmptyTextGivesEmptyForEveryCombination) {
  const char* const delimiters[] = {"", "a", "="};
  for (const char* left : delimiters) {
    for (const char* right : delimiters) {
      for (int flags = 0; flags < 8; ++flags) {
        for (const std::int32_t startIn : {0, 1, 5}) {
          for (const std::int32_t endIn : {0, 1, 5}) {
            std::int32_t start = startIn;
            std::int32_t end = endIn;
            const Text between = TextBetween("", left, right, (flags & 1) != 0, (flags & 2) != 0,
                                             (flags & 4) != 0, &start, &end);
            EXPECT_TRUE(between.empty()) << Show(left) << " " << Show(right) << " " << flags;
          }
        }
      }
    }
  }
}

TEST(TextBetweenTest, OmittedPositionsBehaveAsZero) {
  const Text text("a=1;a=2;");
  std::int32_t start = 0;
  std::int32_t end = 0;
  EXPECT_EQ(TextBetween(text, "a=", ";", false, false, false, &start, &end).bytes(),
            TextBetween(text, "a=", ";").bytes());
  EXPECT_EQ(TextBetween(text, "a=", ";", false, false, false, nullptr, &end).bytes(), "1");
  EXPECT_EQ(TextBetween(text, "a=", ";", false, true, false, &start, nullptr).bytes(), "2");
}

}  // namespace
}  // namespace kelvaro
