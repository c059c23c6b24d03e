#include "text/CodePage.h"

#include <gtest/gtest.h>

#include <string>

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
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(Show(FromUtf16(c.utf16)), Show(c.gbk));
  }
  EXPECT_EQ(Show(FromUtf8("\xF0\x9F\x98\x80")), Show("?"));
}

TEST(CodePageTest, TextEndsAtTheFirstNul) {
  EXPECT_EQ(FromUtf16(std::u16string(u"ab\0cd", 5)).bytes(), "ab");
  EXPECT_EQ(FromUtf16(std::u16string(u"\u4E2D\0\u6587", 3)).bytes(), "\xD6\xD0");
  EXPECT_EQ(FromUtf8(std::string("ab\0cd", 5)).bytes(), "ab");
  EXPECT_EQ(FromUtf8(std::string("\xE4\xB8\xAD\0\xE6\x96\x87", 7)).bytes(), "\xD6\xD0");
  EXPECT_EQ(FromUtf16(std::u16string(1, u'\0')).bytes(), "");
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
