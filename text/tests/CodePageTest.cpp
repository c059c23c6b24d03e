#include "text/CodePage.h"

#include <gtest/gtest.h>

#include <unicode/ucnv.h>

#include <string>
#include <string_view>

#include "text/tests/TextTestSupport.h"

namespace kelvaro {
namespace {

using testing::Show;

TEST(CodePageTest, RoundTripsThroughUtf8AndUtf16) {
  const struct {
    const char* label;
    const char* utf8;
    const char* gbk;
  } cases[] = {
      {"ASCII", "phone 138", "phone 138"},
      {"Chinese", "\xE4\xB8\xAD\xE6\x96\x87", "\xD6\xD0\xCE\xC4"},       // zhong wen
      {"query button", "\xE6\x9F\xA5\xE8\xAF\xA2", "\xB2\xE9\xD1\xAF"},  // cha xun
      {"full-width space", "\xE3\x80\x80", "\xA1\xA1"},                  // U+3000
      {"full-width A", "\xEF\xBC\xA1", "\xA3\xC1"},                      // U+FF21
      {"Greek alpha", "\xCE\xB1", "\xA6\xC1"},                           // U+03B1
      {"GBK extension, second byte 0x40", "\xE4\xB8\x82", "\x81\x40"},   // U+4E02
      {"euro sign is one byte", "\xE2\x82\xAC", "\x80"},                 // U+20AC
      {"mixed", "a=\xE5\x8C\x97\xE4\xBA\xAC;", "a=\xB1\xB1\xBE\xA9;"},   // bei jing
      {"empty", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    const Text text = FromUtf8(c.utf8);
    EXPECT_EQ(Show(text), Show(c.gbk));
    EXPECT_EQ(ToUtf8(text), c.utf8);
    EXPECT_EQ(FromUtf16(ToUtf16(text)), text);
  }
}

TEST(CodePageTest, CharactersMissingFromTheCodePageBecomeQuestionMarks) {
  const struct {
    const char* label;
    std::u16string utf16;
    const char* gbk;
  } cases[] = {
      {"emoji", u"a\U0001F600b", "a?b"},
      {"unpaired high surrogate", std::u16string{u'a', char16_t{0xD800}, u'b'}, "a?b"},
      {"unpaired low surrogate", std::u16string{char16_t{0xDC00}}, "?"},
      {"with Chinese", u"\u4E2D\U0001F600", "\xD6\xD0?"},
      {"ignorable character it lacks is dropped", u"a\u200Bb\u00AD", "ab"},
      {"pair between Chinese", u"\u4E2D\U0001F600\u6587", "\xD6\xD0?\xCE\xC4"},
      {"two pairs", u"\U0001F600\U00020000", "??"},
      {"high, then a pair", std::u16string{char16_t{0xD800}, char16_t{0xD800}, char16_t{0xDC00}},
       "??"},
      {"low, then high at the end", std::u16string{u'\u4E2D', char16_t{0xDC00}, char16_t{0xD800}},
       "\xD6\xD0??"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(Show(FromUtf16(c.utf16)), Show(c.gbk));
  }
  EXPECT_EQ(Show(FromUtf8("\xF0\x9F\x98\x80")), Show("?"));
}

// What ICU's converter makes of a whole text at once, set up as the code page boundary sets it up.
std::string ConverterOutput(std::u16string_view utf16) {
  UErrorCode status = U_ZERO_ERROR;
  UConverter* converter = ucnv_open("windows-936", &status);
  ucnv_setSubstChars(converter, "?", 1, &status);
  std::string out(utf16.size() * 2, '\0');
  const int32_t written =
      ucnv_fromUChars(converter, out.data(), static_cast<int32_t>(out.size()), utf16.data(),
                      static_cast<int32_t>(utf16.size()), &status);
  ucnv_close(converter);
  EXPECT_TRUE(U_SUCCESS(status)) << u_errorName(status);
  out.resize(static_cast<std::size_t>(written));
  return out;
}

// Position of the first byte where two byte strings differ (their common length if one is a
// prefix of the other), for a readable failure.
std::size_t FirstDifference(std::string_view a, std::string_view b) {
  std::size_t i = 0;
  while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
  return i;
}

TEST(CodePageTest, EveryCharacterConvertsAsTheConverterConvertsWholeTexts) {
  // Every character of the Basic Multilingual Plane but U+0000 and the surrogates, alone, among
  // ASCII, and backwards: the code page has characters of one and of two bytes and lacks many.
  std::u16string all;
  std::u16string amongAscii;
  for (char32_t c = 1; c <= 0xFFFF; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    all.push_back(static_cast<char16_t>(c));
    amongAscii.push_back(static_cast<char16_t>(c));
    amongAscii.push_back(u'x');
  }
  const std::u16string backwards(all.rbegin(), all.rend());
  const struct {
    const char* label;
    const std::u16string& text;
  } cases[] = {{"alone", all}, {"among ASCII", amongAscii}, {"backwards", backwards}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    const std::string expected = ConverterOutput(c.text);
    const Text converted = FromUtf16(c.text);
    ASSERT_EQ(converted.size(), expected.size());
    EXPECT_EQ(FirstDifference(converted.bytes(), expected), expected.size());
  }
}

TEST(CodePageTest, TextEndsAtTheFirstNul) {
  EXPECT_EQ(FromUtf16(std::u16string(u"ab\0cd", 5)).bytes(), "ab");
  EXPECT_EQ(FromUtf16(std::u16string(u"\u4E2D\0\u6587", 3)).bytes(), "\xD6\xD0");
  EXPECT_EQ(FromUtf8(std::string("ab\0cd", 5)).bytes(), "ab");
  EXPECT_EQ(FromUtf8(std::string("\xE4\xB8\xAD\0\xE6\x96\x87", 7)).bytes(), "\xD6\xD0");
  EXPECT_EQ(FromUtf16(std::u16string(1, u'\0')).bytes(), "");
  // Past whole blocks of 64 units, with and without characters above ASCII before the NUL.
  std::u16string longText(200, u'a');
  longText[150] = u'\0';
  EXPECT_EQ(FromUtf16(longText).bytes(), std::string(150, 'a'));
  longText[10] = u'\u4E2D';
  EXPECT_EQ(FromUtf16(longText).bytes(), std::string(10, 'a') + "\xD6\xD0" + std::string(139, 'a'));
}

TEST(CodePageTest, InvalidUtf8BecomesQuestionMarks) {
  const struct {
    const char* label;
    const char* utf8;
    const char* gbk;
  } cases[] = {
      {"stray byte",
       "a\xFF"
       "b",
       "a?b"},
      {"truncated sequence", "a\xE4\xB8", "a?"},
      {"lead byte before ASCII", "a\xC3(b", "a?(b"},
      {"overlong slash", "\xC0\xAF", "??"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(Show(FromUtf8(c.utf8)), Show(c.gbk));
  }
}

TEST(CodePageTest, BytesTheCodePageLacksBecomeReplacementCharacters) {
  const std::string replacement = "\xEF\xBF\xBD";  // U+FFFD
  EXPECT_EQ(ToUtf8("a\xB0"), "a" + replacement) << "incomplete last character";
  EXPECT_EQ(ToUtf16("a\xB0"), std::u16string(u"a\uFFFD"));
  EXPECT_EQ(ToUtf8("\x81\x30"
                   "b"),
            replacement + "0b")
      << "lead byte with a second byte it lacks";
}

}  // namespace
}  // namespace kelvaro
