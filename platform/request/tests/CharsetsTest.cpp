#include "platform/request/Charsets.h"

#include <gtest/gtest.h>

#include <unicode/ucnv.h>

#include "platform/request/ResponseHeaders.h"

namespace kelvaro::platform {
namespace {

TEST(CharsetsTest, CharsetParameterIsFoundInAnyForm) {
  const std::pair<const char*, const char*> cases[] = {
      {"text/html; charset=utf-8", "utf-8"},
      {"text/html;charset=GBK", "GBK"},
      {"text/html; Charset = \"gb2312\" ; q=1", "gb2312"},
      {"text/html; format=flowed; charset=big5", "big5"},
      {"text/html", ""},
      {"text/html; charsetx=1", ""},
      {"", ""},
  };
  for (const auto& [contentType, charset] : cases) {
    SCOPED_TRACE(contentType);
    EXPECT_EQ(CharsetOfContentType(contentType), charset);
  }
}

TEST(CharsetsTest, ResponseTextDecodesByMarkThenCharsetThenUtf8) {
  struct Case {
    const char* name;
    std::string body;
    const char* contentType;
    std::u16string text;
  };
  const Case cases[] = {
      {"utf-8 default", "\xE4\xB8\xAD\xE6\x96\x87", "text/html", u"\u4E2D\u6587"},
      {"gbk", "\xD6\xD0\xCE\xC4", "text/html; charset=gbk", u"\u4E2D\u6587"},
      {"gb2312 read as gbk", "\x81\x40", "text/html; charset=GB2312", u"\u4E02"},
      {"big5", "\xA4\xA4", "text/html; charset=big5", u"\u4E2D"},
      {"unknown charset", "\xE4\xB8\xAD", "text/html; charset=x-unknown", u"\u4E2D"},
      {"invalid utf-8",
       "a\xFF"
       "b",
       "text/plain", u"a\uFFFDb"},
      {"utf-8 mark",
       "\xEF\xBB\xBF"
       "abc",
       "text/plain; charset=gbk", u"abc"},
      {"utf-16be mark", std::string("\xFE\xFF\x4E\x2D", 4), "", u"\u4E2D"},
      {"nul kept", std::string("a\0b", 3), "", std::u16string(u"a\0b", 3)},
      {"empty", "", "text/plain", u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(DecodeResponseText(c.body, c.contentType), c.text);
  }
}

TEST(CharsetsTest, HeaderTextIsUtf8WhenValidElseCodePage936) {
  EXPECT_EQ(DecodeHeaderText("plain"), u"plain");
  EXPECT_EQ(DecodeHeaderText("\xE4\xB8\xAD"), u"\u4E2D");
  EXPECT_EQ(DecodeHeaderText("\xD6\xD0"), u"\u4E2D");
}

TEST(CharsetsTest, Utf8EncodingAndValidation) {
  EXPECT_EQ(ToUtf8(u"a\u4E2D\U0001F600"), "a\xE4\xB8\xAD\xF0\x9F\x98\x80");
  EXPECT_EQ(ToUtf8(std::u16string(1, u'\xD800')), "\xEF\xBF\xBD");
  EXPECT_EQ(ToUtf8(u"\xDC00x"), "\xEF\xBF\xBDx");
  EXPECT_TRUE(IsValidUtf8("abc\xE4\xB8\xAD\xF0\x9F\x98\x80"));
  const char* invalid[] = {"\xC0\xAF", "\xE4\xB8", "\xED\xA0\x80", "\xF5\x80\x80\x80", "\x80"};
  for (const char* bytes : invalid) {
    SCOPED_TRACE(bytes);
    EXPECT_FALSE(IsValidUtf8(bytes));
  }
}

TEST(CharsetsTest, CodePagesMapToConverters) {
  EXPECT_EQ(IcuNameForCodePage(65001), "UTF-8");
  EXPECT_TRUE(IcuNameForCodePage(936).has_value());
  EXPECT_TRUE(IcuNameForCodePage(1252).has_value());
  EXPECT_FALSE(IcuNameForCodePage(123456).has_value());
  EXPECT_FALSE(IcuNameForCodePage(0).has_value());
  EXPECT_EQ(EncodeCharset(u"\u4E2D", *IcuNameForCodePage(936)), "\xD6\xD0");
  EXPECT_EQ(DecodeCharset("\xD6\xD0", *IcuNameForCodePage(936)), u"\u4E2D");
}

TEST(CharsetsTest, Utf8EncodingAgreesWithTheConverter) {
  // EncodeCharset takes a short way for UTF-8; it must give what ICU's UTF-8 converter gives.
  const std::u16string texts[] = {
      u"",
      u"ascii?q=1&b=%",
      u"a\u4E2D\U0001F600",
      std::u16string{u'a', char16_t{0xD800}, u'b'},
      std::u16string{char16_t{0xDC00}, char16_t{0xD800}},
      std::u16string{u'x', char16_t{0xD83D}},
      std::u16string(1, u'\0'),
  };
  for (const std::u16string& text : texts) {
    UErrorCode status = U_ZERO_ERROR;
    UConverter* converter = ucnv_open("UTF-8", &status);
    std::string expected(text.size() * 3, '\0');
    const int32_t written =
        ucnv_fromUChars(converter, expected.data(), static_cast<int32_t>(expected.size()),
                        text.data(), static_cast<int32_t>(text.size()), &status);
    ucnv_close(converter);
    ASSERT_TRUE(U_SUCCESS(status));
    expected.resize(static_cast<std::size_t>(written));
    EXPECT_EQ(EncodeCharset(text, "UTF-8"), expected);
  }
}

TEST(ResponseHeadersTest, FindsTheFirstHeaderOfANameInAnyLetterCase) {
  const std::string_view headers =
      "Content-Type: text/html\r\nSet-Cookie: a=1\r\nset-cookie: b=2\r\nX-Spaced: \t v \r\n"
      "X-Empty:\r\nno colon line\r\n";
  struct Case {
    const char* name;
    std::optional<std::string_view> value;
  };
  const Case cases[] = {
      {"content-type", "text/html"},
      {"SET-COOKIE", "a=1"},
      {"X-Spaced", "v"},
      {"X-Empty", ""},
      {"X-Missing", std::nullopt},
      {"Set", std::nullopt},
      {"", std::nullopt},
      {"no colon line", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(FindHeaderValue(headers, c.name), c.value);
  }
}

}  // namespace
}  // namespace kelvaro::platform
