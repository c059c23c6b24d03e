// The text operations other than searching: ranges, comparison, case, blanks, replacing, splitting.
#include "text/TextOps.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "text/tests/TextTestSupport.h"

namespace kelvaro {
namespace {

using testing::Show;

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

TEST(TextLengthTest, CountsBytes) {
  EXPECT_EQ(TextLength(""), 0);
  EXPECT_EQ(TextLength("abc"), 3);
  EXPECT_EQ(TextLength("\xD6\xD0\xCE\xC4"), 4);
  EXPECT_EQ(TextLength("a\xB0"), 2);
}

TEST(TextEqualsTest, ComparesBytesExactly) {
  const struct {
    Text a, b;
    bool equal;
  } cases[] = {
      {"abc", "abc", true},
      {"abc", "ABC", false},
      {"abc", "abcd", false},
      {Text(), "", true},
      {"", "a", false},
      {"\xD6\xD0", "\xD6\xD0", true},
      {"\xD6\xD0", "\xD6\xD1", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Show(c.a) + " vs " + Show(c.b));
    EXPECT_EQ(TextEquals(c.a, c.b), c.equal);
    EXPECT_EQ(TextEquals(c.b, c.a), c.equal);
  }
}

TEST(JoinTextsTest, ConcatenatesInArgumentOrder) {
  EXPECT_EQ(JoinTexts({"a", "", "bc", Text(), "\xD6\xD0"}).bytes(), "abc\xD6\xD0");
  EXPECT_EQ(JoinTexts({"only"}).bytes(), "only");
  EXPECT_EQ(JoinTexts({"", ""}).bytes(), "");
}

struct RangeCase {
  const char* text;
  std::int32_t position;  // TextMid only
  std::int32_t n;
  const char* expected;
};

TEST(TextLeftTest, TakesFirstBytes) {
  const RangeCase cases[] = {
      {"abc", 0, 0, ""},           {"abc", 0, -1, ""},
      {"abc", 0, kMin, ""},        {"abc", 0, 2, "ab"},
      {"abc", 0, 3, "abc"},        {"abc", 0, 10, "abc"},
      {"abc", 0, kMax, "abc"},     {"", 0, 3, ""},
      {"\xD6\xD0x", 0, 1, "\xD6"},  // cuts a two-byte character in half
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << Show(c.text) << " n=" << c.n);
    EXPECT_EQ(TextLeft(c.text, c.n).bytes(), c.expected);
  }
}

TEST(TextRightTest, TakesLastBytes) {
  const RangeCase cases[] = {
      {"abc", 0, 0, ""},       {"abc", 0, -2, ""},   {"abc", 0, kMin, ""},
      {"abc", 0, 2, "bc"},     {"abc", 0, 3, "abc"}, {"abc", 0, 5, "abc"},
      {"abc", 0, kMax, "abc"}, {"", 0, 1, ""},       {"x\xD6\xD0", 0, 1, "\xD0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << Show(c.text) << " n=" << c.n);
    EXPECT_EQ(TextRight(c.text, c.n).bytes(), c.expected);
  }
}

TEST(TextMidTest, TakesBytesFromAPosition) {
  const RangeCase cases[] = {
      {"abcdef", 0, 2, ""},
      {"abcdef", -1, 3, ""},
      {"abcdef", kMin, 3, ""},
      {"abcdef", 1, 2, "ab"},
      {"abcdef", 3, 10, "cdef"},
      {"abcdef", 2, kMax, "bcdef"},
      {"abcdef", 6, 1, "f"},
      {"abcdef", 7, 1, ""},
      {"abcdef", kMax, kMax, ""},
      {"abcdef", 2, 0, ""},
      {"abcdef", 2, -1, ""},
      {"", 1, 1, ""},
      {"\xD6\xD0\xCE\xC4", 2, 2, "\xD0\xCE"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message()
                 << Show(c.text) << " position=" << c.position << " n=" << c.n);
    EXPECT_EQ(TextMid(c.text, c.position, c.n).bytes(), c.expected);
  }
}

TEST(StartsWithTest, IsExactAndCaseSensitive) {
  const struct {
    const char* text;
    const char* prefix;
    bool expected;
  } cases[] = {
      {"ABCdef", "abc", false},    {"ABCdef", "ABC", true},
      {"abc", "", true},           {"", "", true},
      {"ab", "abc", false},        {"", "a", false},
      {"\xD6\xD0x", "\xD6", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Show(c.text) + " / " + Show(c.prefix));
    EXPECT_EQ(StartsWith(c.text, c.prefix), c.expected);
  }
}

int Sign(int value) {
  return (value > 0) - (value < 0);
}

// kUnequal: the texts differ, and which sorts first is not part of the contract.
enum class Order { kLess, kEqual, kGreater, kUnequal };

TEST(CompareTextTest, OrdersCharactersAndFoldsCaseOnRequest) {
  const struct {
    const char* label;
    const char* a;
    const char* b;
    bool caseSensitive;
    Order expected;
  } cases[] = {
      {"equal", "abc", "abc", true, Order::kEqual},
      {"ASCII case differs", "abc", "ABC", true, Order::kGreater},
      {"ASCII case folded", "abc", "ABC", false, Order::kEqual},
      {"mixed case folded", "Set-Cookie", "set-cOOKIE", false, Order::kEqual},
      {"letter order", "abc", "abd", true, Order::kLess},
      {"letter order folded", "ABC", "abd", false, Order::kLess},
      {"prefix sorts first", "abc", "abcd", false, Order::kLess},
      {"empty texts", "", "", true, Order::kEqual},
      {"empty sorts first", "", "a", false, Order::kLess},
      {"non-letters do not fold", "[", "{", false, Order::kUnequal},
      {"full-width a and A differ", "\xA3\xE1", "\xA3\xC1", true, Order::kUnequal},
      {"full-width a equals A", "\xA3\xE1", "\xA3\xC1", false, Order::kEqual},
      {"Greek alpha equals Alpha", "\xA6\xC1", "\xA6\xA1", false, Order::kEqual},
      {"Greek alpha and Alpha differ", "\xA6\xC1", "\xA6\xA1", true, Order::kUnequal},
      {"Cyrillic a equals A", "\xA7\xD1", "\xA7\xA1", false, Order::kEqual},
      {"different Chinese characters", "\xD6\xD0", "\xCE\xC4", false, Order::kUnequal},
      {"second bytes 'A'/'a' are different characters", "\x81\x41", "\x81\x61", false,
       Order::kUnequal},
      {"ASCII A is not full-width A", "A", "\xA3\xC1", false, Order::kUnequal},
      {"pair the code page lacks, same bytes", "\xFF\x41", "\xFF\x41", false, Order::kEqual},
      {"pairs the code page lacks do not fold", "\xFF\x41", "\xFF\x61", false, Order::kUnequal},
      {"incomplete last character", "a\xB0", "A\xB0", false, Order::kEqual},
      {"incomplete against complete", "a\xB0", "a\xB0\xA1", false, Order::kUnequal},
      {"folded text then Chinese", "ID=\xD6\xD0", "id=\xD6\xD0", false, Order::kEqual},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.label << ": " << Show(c.a) << " vs " << Show(c.b)
                                      << (c.caseSensitive ? " case-sensitive" : " ignoring case"));
    const int forward = CompareText(c.a, c.b, c.caseSensitive);
    switch (c.expected) {
      case Order::kLess:
        EXPECT_LT(forward, 0);
        break;
      case Order::kEqual:
        EXPECT_EQ(forward, 0);
        break;
      case Order::kGreater:
        EXPECT_GT(forward, 0);
        break;
      case Order::kUnequal:
        EXPECT_NE(forward, 0);
        break;
    }
    // Swapping the arguments flips the sign.
    EXPECT_EQ(Sign(CompareText(c.b, c.a, c.caseSensitive)), -Sign(forward));
  }
}

TEST(CompareTextTest, OrderIsTransitiveAcrossCharacterKinds) {
  const Text texts[] = {"",         "a",        "B",        "\xA3\xC1", "\xA3\xE1", "\xD6\xD0",
                        "\x81\x41", "\x81\x61", "\xFF\x41", "a\xB0",    "ab",       "\xA6\xC1"};
  for (const bool caseSensitive : {true, false}) {
    for (const Text& x : texts) {
      for (const Text& y : texts) {
        for (const Text& z : texts) {
          if (CompareText(x, y, caseSensitive) <= 0 && CompareText(y, z, caseSensitive) <= 0) {
            EXPECT_LE(CompareText(x, z, caseSensitive), 0)
                << Show(x) << " " << Show(y) << " " << Show(z) << " " << caseSensitive;
          }
        }
      }
    }
  }
}

TEST(ToUpperLowerTest, ChangeSingleByteLettersOnly) {
  const struct {
    const char* label;
    const char* text;
    const char* upper;
    const char* lower;
  } cases[] = {
      {"letters and digits", "abcXYZ-019", "ABCXYZ-019", "abcxyz-019"},
      {"empty", "", "", ""},
      {"second byte 'a' unchanged", "\x81\x61", "\x81\x61", "\x81\x61"},
      {"second byte 'A' unchanged", "\x81\x41", "\x81\x41", "\x81\x41"},
      {"full-width letters unchanged", "\xA3\xE1\xA3\xC1", "\xA3\xE1\xA3\xC1", "\xA3\xE1\xA3\xC1"},
      {"lead byte takes a letter along", "a\x81zB", "A\x81zB", "a\x81zb"},
      {"incomplete last character dropped", "aB\xB0", "AB", "ab"},
      {"only an incomplete character", "\xB0", "", ""},
      {"Chinese between letters", "x\xD6\xD0y", "X\xD6\xD0Y", "x\xD6\xD0y"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.label << ": " << Show(c.text));
    EXPECT_EQ(ToUpper(c.text).bytes(), c.upper);
    EXPECT_EQ(ToLower(c.text).bytes(), c.lower);
  }
}

TEST(TrimTest, RemovesBlankRuns) {
  const struct {
    const char* label;
    const char* text;
    const char* trimStart;
    const char* trimBoth;
  } cases[] = {
      {"spaces both sides", "  a b  ", "a b  ", "a b"},
      {"full-width spaces",
       "\xA1\xA1"
       "a\xA1\xA1",
       "a\xA1\xA1", "a"},
      {"mixed blanks", " \xA1\xA1 a \xA1\xA1 ", "a \xA1\xA1 ", "a"},
      {"tabs and line breaks stay", "\ta\r\n", "\ta\r\n", "\ta\r\n"},
      {"blanks inside tabs", " \t a \n ", "\t a \n ", "\t a \n"},
      {"blanks only", "  \xA1\xA1 ", "", ""},
      {"empty", "", "", ""},
      {"no blanks", "abc", "abc", "abc"},
      {"Chinese kept", " \xD6\xD0 ", "\xD6\xD0 ", "\xD6\xD0"},
      {"A1 A1 across characters is no blank", "\xB0\xA1\xA1\xA1", "\xB0\xA1\xA1\xA1", "\xB0\xA1"},
      {"A1 as second byte before a space", " \xB0\xA1 ", "\xB0\xA1 ", "\xB0\xA1"},
      {"incomplete last character: blanks before it stay", "a  \xB0", "a  \xB0", "a  "},
      {"incomplete last character, leading blanks go", " a \xB0", "a \xB0", "a "},
      {"incomplete after blanks only", "  \xB0", "\xB0", ""},
      {"incomplete character alone", "\xB0", "\xB0", ""},
      {"incomplete A1 after a full-width space", "x\xA1\xA1\xA1", "x\xA1\xA1\xA1", "x\xA1\xA1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.label << ": " << Show(c.text));
    EXPECT_EQ(TrimStart(c.text).bytes(), c.trimStart);
    EXPECT_EQ(TrimBoth(c.text).bytes(), c.trimBoth);
  }
}

TEST(ReplaceTextTest, ReplacesWithinLimits) {
  const struct {
    const char* label;
    const char* text;
    const char* sought;
    std::optional<Text> replacement;
    std::optional<std::int32_t> start;
    std::optional<std::int32_t> count;
    bool caseSensitive;
    const char* expected;
  } cases[] = {
      {"every occurrence", "a,b,c", ",", ";", {}, {}, true, "a;b;c"},
      {"replacement not given deletes", "a,b,c", ",", {}, {}, {}, true, "abc"},
      {"replacement given empty deletes", "a,b,c", ",", Text(), {}, {}, true, "abc"},
      {"count 0 changes nothing", "a,b,c", ",", ";", {}, 0, true, "a,b,c"},
      {"count 1", "a,b,c", ",", ";", {}, 1, true, "a;b,c"},
      {"count above the occurrences", "a,b,c", ",", ";", {}, 9, true, "a;b;c"},
      {"negative count: no limit", "a,b,c", ",", ";", {}, -1, true, "a;b;c"},
      {"start past the end", "a,b,c", ",", ";", 6, {}, true, "a,b,c"},
      {"highest start", "a,b,c", ",", ";", kMax, {}, true, "a,b,c"},
      {"start on the last byte", "a,b,c", "c", "C", 5, {}, true, "a,b,C"},
      {"start after the first occurrence", "a,b,c", ",", ";", 3, {}, true, "a,b;c"},
      {"start and count 1", "a,b,c,d", ",", ";", 3, 1, true, "a,b;c,d"},
      {"start 0", "a,b,c", ",", ";", 0, {}, true, "a;b;c"},
      {"negative start", "a,b,c", ",", ";", -10, {}, true, "a;b;c"},
      {"lowest start", "a,b,c", ",", ";", kMin, {}, true, "a;b;c"},
      {"start mid-character shifts the walk",
       "\xD6\xD0\xCE\xC4",
       "\xD0\xCE",
       "-",
       2,
       {},
       true,
       "\xD6-\xC4"},
      {"case-sensitive", "Path=/; path=/x", "PATH", "P", {}, {}, true, "Path=/; path=/x"},
      {"case-insensitive", "Path=/; path=/x", "PATH", "P", {}, {}, false, "P=/; P=/x"},
      {"case-insensitive second byte", "\x81\x41", "\x81\x61", "X", {}, {}, false, "X"},
      {"second byte is not a match",
       "\x81\x41"
       "A",
       "A",
       "b",
       {},
       {},
       true,
       "\x81\x41"
       "b"},
      {"occurrences never overlap", "aaa", "aa", "b", {}, {}, true, "ba"},
      {"replacement not searched again", "aa", "a", "aa", {}, {}, true, "aaaa"},
      {"empty text", "", "a", "b", {}, {}, true, ""},
      {"empty sought", "abc", "", "x", {}, {}, true, "abc"},
      {"Chinese replaced", "\xD6\xD0\xCE\xC4\xD6\xD0", "\xD6\xD0", "Z", {}, {}, true, "Z\xCE\xC4Z"},
      {"incomplete last character met by the walk is dropped",
       "ab\xB0",
       "x",
       "y",
       {},
       {},
       true,
       "ab"},
      {"incomplete last character matched is replaced", "ab\xB0", "\xB0", "!", {}, {}, true, "ab!"},
      {"walk ends before an incomplete last character", "ab\xB0", "ab", "z", {}, {}, true, "z\xB0"},
      {"incomplete last character kept once the limit is reached",
       "a,\xB0",
       ",",
       ";",
       {},
       1,
       true,
       "a;\xB0"},
      {"incomplete second byte of a shifted walk", "x\xD6\xD0", "y", "z", 3, {}, true, "x\xD6"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.label << ": " << Show(c.text));
    EXPECT_EQ(
        ReplaceText(c.text, c.sought, c.replacement, c.start, c.count, c.caseSensitive).bytes(),
        c.expected);
  }
}

TEST(SplitTextTest, CutsAtDelimiters) {
  using List = std::vector<std::string>;
  const struct {
    const char* label;
    const char* text;
    std::optional<Text> delimiter;
    std::optional<std::int32_t> maxCount;
    List expected;
  } cases[] = {
      {"a;b", "a;b", ";", {}, {"a", "b"}},
      {"no empty last element", "a;b;", ";", {}, {"a", "b"}},
      {"empty first element", ";a", ";", {}, {"", "a"}},
      {"empty middle element", "a;;b", ";", {}, {"a", "", "b"}},
      {"delimiter alone", ";", ";", {}, {""}},
      {"two delimiters only", ";;", ";", {}, {"", ""}},
      {"default delimiter is a comma", "a,b;c", {}, {}, {"a", "b;c"}},
      {"maximum 2 drops the rest", "a;b;c", ";", 2, {"a", "b"}},
      {"maximum -1 gives nothing", "a;b;c", ";", -1, {}},
      {"maximum 0 gives nothing", "a;b;c", ";", 0, {}},
      {"maximum 1 without delimiter", "ab", ";", 1, {"ab"}},
      {"maximum 1 stops at the first delimiter", "a;b", ";", 1, {"a"}},
      {"maximum above the count", "a;b", ";", 5, {"a", "b"}},
      {"empty text", "", ";", {}, {}},
      {"empty delimiter: whole text", "a;b", Text(), {}, {"a;b"}},
      {"no delimiter present", "abc", ";", {}, {"abc"}},
      {"longer delimiter", "a; b; c", "; ", {}, {"a", "b", "c"}},
      {"delimiter longer than the rest", "a;", ";;", {}, {"a;"}},
      {"letter case matters", "aXbxc", "x", {}, {"aXb", "c"}},
      {"delimiter byte as a second byte", "\x81;;x", ";", {}, {"\x81;", "x"}},
      {"Chinese pieces", "\xD6\xD0;\xCE\xC4", ";", {}, {"\xD6\xD0", "\xCE\xC4"}},
      {"incomplete last character kept", "a;\xB0", ";", {}, {"a", "\xB0"}},
      {"cookie text", "a=1; b=2", ";", {}, {"a=1", " b=2"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.label << ": " << Show(c.text));
    const TextList pieces = SplitText(c.text, c.delimiter, c.maxCount);
    List got;
    for (const Text& piece : pieces) got.emplace_back(piece.bytes());
    EXPECT_EQ(got, c.expected);
    EXPECT_EQ(CountOf(pieces), static_cast<std::int32_t>(c.expected.size()));
  }
}

TEST(CountOfTest, CountsElements) {
  EXPECT_EQ(CountOf({}), 0);
  EXPECT_EQ(CountOf({Text(), Text("a")}), 2);
}

TEST(TextFromBytesTest, StopsAtTheFirstZeroWithoutConversion) {
  const struct {
    std::vector<std::uint8_t> bytes;
    const char* expected;
  } cases[] = {
      {{}, ""},
      {{0x61, 0x62}, "ab"},
      {{0x61, 0x00, 0x62}, "a"},
      {{0x00}, ""},
      {{0xD6, 0xD0, 0xE4, 0xB8, 0xAD}, "\xD6\xD0\xE4\xB8\xAD"},  // no charset conversion
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Show(c.expected));
    EXPECT_EQ(TextFromBytes(c.bytes).bytes(), c.expected);
  }
}

}  // namespace
}  // namespace kelvaro
