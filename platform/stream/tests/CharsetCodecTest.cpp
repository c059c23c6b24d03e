#include "platform/stream/CharsetCodec.h"

#include <gtest/gtest.h>

#include <limits>
#include <random>
#include <string>
#include <vector>

namespace kelvaro::platform {
namespace {

using Bytes = std::vector<std::uint8_t>;

CharsetCodec CodecFor(const char* name) {
  std::optional<CharsetCodec> codec = CharsetCodec::ForName(std::string_view(name));
  if (!codec) throw std::runtime_error(std::string("no codec for ") + name);
  return std::move(*codec);
}

struct DecodeCase {
  const char* charset;
  Bytes bytes;
  std::u16string text;
};

TEST(CharsetCodecTest, DecodesEachCharset) {
  const DecodeCase cases[] = {
      {"utf-8", {0xE4, 0xB8, 0xAD, 0xE6, 0x96, 0x87}, u"\u4E2D\u6587"},  // zhong wen
      {"utf-8", {0xF0, 0x9F, 0x98, 0x80}, u"\U0001F600"},
      {"gb2312", {0xD6, 0xD0, 0xCE, 0xC4}, u"\u4E2D\u6587"},
      {"gbk", {0x80, 0x41}, u"\u20ACA"},
      {"gb18030", {0x81, 0x30, 0x81, 0x30, 0xD6, 0xD0}, u"\u0080\u4E2D"},
      {"big5", {0xA4, 0xA4, 0xA4, 0xE5}, u"\u4E2D\u6587"},
      {"unicode", {0x2D, 0x4E, 0x87, 0x65}, u"\u4E2D\u6587"},
      {"unicodeFFFE", {0x4E, 0x2D, 0x65, 0x87}, u"\u4E2D\u6587"},
      {"utf-32", {0x00, 0xF6, 0x01, 0x00}, u"\U0001F600"},
      {"shift_jis", {0x93, 0xFA, 0x96, 0x7B}, u"\u65E5\u672C"},
      {"euc-kr", {0xB0, 0xA1}, u"\uAC00"},
      {"iso-8859-1", {0xE9, 0x80}, u"\u00E9\u0080"},
      {"windows-1252", {0x80, 0xE9}, u"\u20AC\u00E9"},
      {"us-ascii", {0x41, 0x00, 0x42}, std::u16string(u"A\0B", 3)},
      {"utf-8", {}, u""},
  };
  for (const DecodeCase& c : cases) {
    SCOPED_TRACE(c.charset);
    EXPECT_EQ(CodecFor(c.charset).Decode(c.bytes), c.text);
  }
}

TEST(CharsetCodecTest, DecodesWhatIsNotACharacterAsReplacementCharacters) {
  const DecodeCase cases[] = {
      {"utf-8", {0x41, 0xFF, 0x42}, u"A\uFFFDB"},
      {"utf-8", {0x41, 0xE4, 0xB8}, u"A\uFFFD"},             // cut off at the end: one U+FFFD
      {"utf-8", {0xE4, 0xB8, 0x41}, u"\uFFFDA"},             // cut off by the next character
      {"utf-8", {0xC0, 0xAF}, u"\uFFFD\uFFFD"},              // overlong form
      {"utf-8", {0xED, 0xA0, 0x80}, u"\uFFFD\uFFFD\uFFFD"},  // encoded surrogate
      {"unicode", {0x41, 0x00, 0x42}, u"A\uFFFD"},           // odd byte at the end
      {"gbk", {0x41, 0xD6}, u"A\uFFFD"},
      {"us-ascii", {0x41, 0x80}, u"A\uFFFD"},
  };
  for (const DecodeCase& c : cases) {
    SCOPED_TRACE(c.charset);
    EXPECT_EQ(CodecFor(c.charset).Decode(c.bytes), c.text);
  }
}

TEST(CharsetCodecTest, ReusesOneCodecWithoutCarryingStateOver) {
  CharsetCodec codec = CodecFor("utf-8");
  EXPECT_EQ(codec.Decode(Bytes{0x41, 0xE4, 0xB8}), u"A\uFFFD");
  EXPECT_EQ(codec.Decode(Bytes{0xAD, 0x42}), u"\uFFFDB");
  EXPECT_EQ(codec.Encode(u"\u4E2D"), (Bytes{0xE4, 0xB8, 0xAD}));
  EXPECT_EQ(codec.Encode(u"\xD83D"), (Bytes{0xEF, 0xBF, 0xBD}));
  EXPECT_EQ(codec.Encode(u"A"), (Bytes{0x41}));
}

TEST(CharsetCodecTest, GrowsItsBufferWhenACharsetGivesMoreUnitsThanBytes) {
  // SCSU: a window onto the plane of U+1F600, then one byte per supplementary character.
  Bytes bytes{0x0B, 0x01, 0xEC};
  std::u16string expected;
  for (int i = 0; i < 1000; ++i) {
    bytes.push_back(0x80);
    expected += u"\U0001F600";
  }
  EXPECT_EQ(CodecFor("SCSU").Decode(bytes), expected);
}

TEST(CharsetCodecTest, DecodesLargeInputWhole) {
  Bytes bytes;
  std::u16string expected;
  for (int i = 0; i < 100000; ++i) {
    bytes.insert(bytes.end(), {0xE4, 0xB8, 0xAD, 0x61, 0xF0, 0x9F, 0x98, 0x80});
    expected += u"\u4E2Da\U0001F600";
  }
  EXPECT_EQ(CodecFor("utf-8").Decode(bytes), expected);
}

// Whole-input decoding (with its own road for UTF-8) and the character-by-character decoding of
// partial reads must read every byte sequence, valid or not, the same way.
TEST(CharsetCodecTest, DecodesAlikeWholeAndCharacterByCharacter) {
  std::mt19937 random(20240611);
  std::uniform_int_distribution<int> anyByte(0, 255);
  // Bytes that make up UTF-8 lead and trail bytes, invalid bytes and ASCII.
  const std::uint8_t utf8Pieces[] = {0x41, 0x00, 0x7F, 0x80, 0xBF, 0xC2, 0xC0, 0xDF, 0xE0, 0xE4,
                                     0xED, 0xEF, 0xF0, 0xF4, 0xF5, 0xFF, 0xA0, 0x9F, 0x90, 0x8F};
  std::uniform_int_distribution<std::size_t> anyPiece(0, std::size(utf8Pieces) - 1);
  for (const char* charset :
       {"utf-8", "unicode", "unicodeFFFE", "utf-32", "gbk", "gb18030", "big5", "shift_jis"}) {
    CharsetCodec codec = CodecFor(charset);
    const bool utf8 = std::string_view(charset) == "utf-8";
    for (int round = 0; round < 200; ++round) {
      Bytes bytes(static_cast<std::size_t>(round % 40) + 1);
      for (std::uint8_t& byte : bytes) {
        byte = utf8 ? utf8Pieces[anyPiece(random)] : static_cast<std::uint8_t>(anyByte(random));
      }
      SCOPED_TRACE(std::string(charset) + " " + testing::PrintToString(bytes));
      const CharsetCodec::Partial stepwise =
          codec.DecodeCharacters(bytes, std::numeric_limits<std::size_t>::max());
      EXPECT_EQ(codec.Decode(bytes), stepwise.text);
      EXPECT_EQ(stepwise.bytesRead, bytes.size());
    }
  }
}

struct MarkCase {
  const char* charset;
  Bytes bytes;
  std::size_t markLength;
};

TEST(CharsetCodecTest, FindsOnlyTheCharsetsOwnByteOrderMark) {
  const MarkCase cases[] = {
      {"utf-8", {0xEF, 0xBB, 0xBF, 0x41}, 3},   {"utf-8", {0xEF, 0xBB}, 0},
      {"utf-8", {0x41, 0xEF, 0xBB, 0xBF}, 0},   {"unicode", {0xFF, 0xFE, 0x41, 0x00}, 2},
      {"unicode", {0xFE, 0xFF, 0x00, 0x41}, 0}, {"unicodeFFFE", {0xFE, 0xFF, 0x00, 0x41}, 2},
      {"utf-32", {0xFF, 0xFE, 0x00, 0x00}, 4},  {"gbk", {0xEF, 0xBB, 0xBF}, 0},
      {"iso-8859-1", {0xFF, 0xFE}, 0},
  };
  for (const MarkCase& c : cases) {
    SCOPED_TRACE(c.charset);
    EXPECT_EQ(CodecFor(c.charset).ByteOrderMarkLength(c.bytes), c.markLength);
  }
  // Decoding alone keeps the mark as U+FEFF; dropping it is the reader's choice.
  EXPECT_EQ(CodecFor("utf-8").Decode(Bytes{0xEF, 0xBB, 0xBF, 0x41}), u"\uFEFFA");
}

TEST(CharsetCodecTest, DecodesACountOfCharacters) {
  CharsetCodec codec = CodecFor("utf-8");
  const Bytes bytes{0xE4, 0xB8, 0xAD, 0xF0, 0x9F, 0x98, 0x80, 0x41};  // zhong, U+1F600, A

  CharsetCodec::Partial none = codec.DecodeCharacters(bytes, 0);
  EXPECT_EQ(none.text, u"");
  EXPECT_EQ(none.bytesRead, 0u);

  CharsetCodec::Partial one = codec.DecodeCharacters(bytes, 1);
  EXPECT_EQ(one.text, u"\u4E2D");
  EXPECT_EQ(one.bytesRead, 3u);

  // A surrogate pair is one character.
  CharsetCodec::Partial two = codec.DecodeCharacters(bytes, 2);
  EXPECT_EQ(two.text, u"\u4E2D\U0001F600");
  EXPECT_EQ(two.bytesRead, 7u);

  CharsetCodec::Partial more = codec.DecodeCharacters(bytes, 99);
  EXPECT_EQ(more.text, u"\u4E2D\U0001F600A");
  EXPECT_EQ(more.bytesRead, bytes.size());

  CharsetCodec::Partial broken = codec.DecodeCharacters(Bytes{0xFF, 0x41, 0xE4, 0xB8}, 5);
  EXPECT_EQ(broken.text, u"\uFFFDA\uFFFD");
  EXPECT_EQ(broken.bytesRead, 4u);
}

TEST(CharsetCodecTest, DecodesOneLine) {
  CharsetCodec utf8 = CodecFor("utf-8");
  const Bytes bytes{0x61, 0x0D, 0x62, 0x0D, 0x0A, 0x63, 0x0A};  // a CR b CR LF c LF

  CharsetCodec::Partial crlf = utf8.DecodeLine(bytes, u"\r\n");
  EXPECT_EQ(crlf.text, u"a\rb");
  EXPECT_EQ(crlf.bytesRead, 5u);

  CharsetCodec::Partial lf = utf8.DecodeLine(bytes, u"\n");
  EXPECT_EQ(lf.text, u"a\rb\r");
  EXPECT_EQ(lf.bytesRead, 5u);

  CharsetCodec::Partial cr = utf8.DecodeLine(bytes, u"\r");
  EXPECT_EQ(cr.text, u"a");
  EXPECT_EQ(cr.bytesRead, 2u);

  CharsetCodec::Partial noSeparator = utf8.DecodeLine(Bytes{0x61, 0x62}, u"\r\n");
  EXPECT_EQ(noSeparator.text, u"ab");
  EXPECT_EQ(noSeparator.bytesRead, 2u);

  CharsetCodec unicode = CodecFor("unicode");
  CharsetCodec::Partial wide =
      unicode.DecodeLine(Bytes{0x2D, 0x4E, 0x0D, 0x00, 0x0A, 0x00, 0x41, 0x00}, u"\r\n");
  EXPECT_EQ(wide.text, u"\u4E2D");
  EXPECT_EQ(wide.bytesRead, 6u);
}

struct EncodeCase {
  const char* charset;
  std::u16string text;
  Bytes bytes;
};

TEST(CharsetCodecTest, EncodesWithASubstituteForMissingCharacters) {
  const EncodeCase cases[] = {
      {"utf-8", u"\u4E2D\u6587", {0xE4, 0xB8, 0xAD, 0xE6, 0x96, 0x87}},
      {"utf-8", u"A\xD800", {0x41, 0xEF, 0xBF, 0xBD}},
      {"unicode", u"\u4E2DA", {0x2D, 0x4E, 0x41, 0x00}},
      {"unicode", u"\xDC00", {0xFD, 0xFF}},
      {"unicodeFFFE", u"\u4E2D", {0x4E, 0x2D}},
      {"gb2312", u"\u4E2D\u6587", {0xD6, 0xD0, 0xCE, 0xC4}},
      {"gbk", u"a\U0001F600b", {0x61, 0x3F, 0x62}},
      {"iso-8859-1", u"\u00E9\u4E2D", {0xE9, 0x3F}},
      {"us-ascii", u"\u00E9", {0x3F}},
      {"utf-8", u"", {}},
  };
  for (const EncodeCase& c : cases) {
    SCOPED_TRACE(c.charset);
    EXPECT_EQ(CodecFor(c.charset).Encode(c.text), c.bytes);
  }
}

TEST(CharsetCodecTest, RoundTripsTextTheCharsetHolds) {
  const std::u16string text = u"Hello \u4E2D\u6587 \u00E9 \u20AC";
  for (const char* charset : {"utf-8", "unicode", "unicodeFFFE", "utf-32", "gb18030"}) {
    SCOPED_TRACE(charset);
    CharsetCodec codec = CodecFor(charset);
    EXPECT_EQ(codec.Decode(codec.Encode(text)), text);
  }
}

TEST(CharsetCodecTest, RefusesUnknownAndNonAsciiNames) {
  EXPECT_FALSE(CharsetCodec::ForName(std::string_view("no-such-charset")));
  EXPECT_FALSE(CharsetCodec::ForName(std::u16string_view(u"utf-8\u4E2D")));
  EXPECT_FALSE(CharsetCodec::ForName(std::u16string_view(u"")));
  ASSERT_TRUE(CharsetCodec::ForName(std::u16string_view(u"UTF-8")));
  EXPECT_STREQ(CharsetCodec::ForName(std::u16string_view(u"Unicode"))->ConverterName(), "UTF-16LE");
}

}  // namespace
}  // namespace kelvaro::platform
