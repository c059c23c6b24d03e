#include "tools/demo-lookup-service/RequestTarget.h"

#include <gtest/gtest.h>

#include <string>

namespace kelvaro::demo {
namespace {

TEST(SplitTargetTest, ReadsOriginAndAbsoluteForms) {
  struct Case {
    std::string_view target;
    std::string_view path;
    std::string_view query;
  };
  const Case cases[] = {
      {"/web/phone/baseInfo?type=3&number=1", "/web/phone/baseInfo", "type=3&number=1"},
      {"/", "/", ""},
      {"/a?", "/a", ""},
      {"/a?b?c", "/a", "b?c"},
      {"http://lookup.kelvaro.invalid/web/phone/baseInfo?type=3&number=1", "/web/phone/baseInfo",
       "type=3&number=1"},
      {"HTTP://Any.Host:8080/web/x", "/web/x", ""},
      {"https://h/p?q=1", "/p", "q=1"},
      {"http://h", "/", ""},
      {"http://h?q=1", "/", "q=1"},
      {"http://h:80/?q=/x", "/", "q=/x"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.target));
    const std::optional<TargetParts> parts = SplitTarget(c.target);
    ASSERT_TRUE(parts.has_value());
    EXPECT_EQ(parts->path, c.path);
    EXPECT_EQ(parts->query, c.query);
  }
  for (std::string_view other :
       {"", "*", "lookup.kelvaro.invalid:80", "ftp://h/x", "web/x", "http:/h/x"}) {
    SCOPED_TRACE(std::string(other));
    EXPECT_FALSE(SplitTarget(other).has_value());
  }
}

TEST(PercentDecodeTest, DecodesEscapesAndLeavesBrokenOnesAlone) {
  EXPECT_EQ(PercentDecode("%E5%8C%97%e4%ba%ac", true), "\xE5\x8C\x97\xE4\xBA\xAC");  // 北京
  EXPECT_EQ(PercentDecode("a+b%20c", true), "a b c");
  EXPECT_EQ(PercentDecode("a+b", false), "a+b");
  EXPECT_EQ(PercentDecode("%2B%26%3D", true), "+&=");
  EXPECT_EQ(PercentDecode("100%", true), "100%");
  EXPECT_EQ(PercentDecode("%4", true), "%4");
  EXPECT_EQ(PercentDecode("%zz%4g", true), "%zz%4g");
  EXPECT_EQ(PercentDecode("%%41", true), "%A");
  EXPECT_EQ(PercentDecode(std::string_view("%00x", 4), true), std::string("\0x", 2));
}

TEST(QueryValueTest, FindsTheFirstParameterOfAName) {
  const std::string_view query =
      "type=3&number=13800138000&province=%E5%8C%97%E4%BA%AC&city=&p_type=2&flag&number=1";
  EXPECT_EQ(QueryValue(query, "type"), "3");
  EXPECT_EQ(QueryValue(query, "number"), "13800138000");
  EXPECT_EQ(QueryValue(query, "province"), "\xE5\x8C\x97\xE4\xBA\xAC");
  EXPECT_EQ(QueryValue(query, "city"), "");
  EXPECT_EQ(QueryValue(query, "flag"), "");
  EXPECT_EQ(QueryValue(query, "missing"), std::nullopt);
  EXPECT_EQ(QueryValue(query, "ype"), std::nullopt);
  EXPECT_EQ(QueryValue("", "type"), std::nullopt);
  EXPECT_EQ(QueryValue("a=1=2", "a"), "1=2");
  EXPECT_EQ(QueryValue("p%5Ftype=4", "p_type"), "4");
  // An unescaped "&" in a value ends it: "138&x" arrives as the number "138".
  EXPECT_EQ(QueryValue("number=138&x&province=", "number"), "138");
}

TEST(IsValidUtf8Test, AcceptsWellFormedTextOnly) {
  EXPECT_TRUE(IsValidUtf8(""));
  EXPECT_TRUE(IsValidUtf8("abc"));
  EXPECT_TRUE(IsValidUtf8("\xE5\x8C\x97\xE4\xBA\xAC"));  // 北京
  EXPECT_TRUE(IsValidUtf8("\xC2\xA9\xF0\x9F\x98\x80"));  // U+00A9, U+1F600
  EXPECT_FALSE(IsValidUtf8("\xB1\xB1\xBE\xA9"));         // 北京 in code page 936
  EXPECT_FALSE(IsValidUtf8("\xE5\x8C"));                 // cut short
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));                 // overlong "/"
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));             // a surrogate
  EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));         // above U+10FFFF
  EXPECT_FALSE(IsValidUtf8("\xF8\x88\x80\x80\x80"));     // five-byte form
  EXPECT_FALSE(
      IsValidUtf8("a\xE5\x8C"
                  "b"));  // continuation missing
}

}  // namespace
}  // namespace kelvaro::demo
