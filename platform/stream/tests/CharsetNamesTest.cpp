#include "platform/stream/CharsetNames.h"

#include <gtest/gtest.h>

#include <string>

namespace kelvaro::platform {
namespace {

struct KnownName {
  const char* name;
  const char* converter;
};

TEST(CharsetNamesTest, ResolvesInternetNamesWithThePlatformsMeaning) {
  const KnownName cases[] = {
      // The bare Unicode names mean little-endian on this platform, unlike ICU's reading.
      {"unicode", "UTF-16LE"},
      {"Unicode", "UTF-16LE"},
      {"utf-16", "UTF-16LE"},
      {"UTF-16LE", "UTF-16LE"},
      {"unicodeFFFE", "UTF-16BE"},
      {"utf-16be", "UTF-16BE"},
      {"utf-32", "UTF-32LE"},
      {"utf-8", "UTF-8"},
      {"UTF-8", "UTF-8"},
      {"utf8", "UTF-8"},
      // Text labelled GB2312 is GBK in practice; ICU alone would pick the strict EUC-CN table.
      {"gb2312", "windows-936-2000"},
      {"GB2312", "windows-936-2000"},
      {"gbk", "windows-936-2000"},
      {"gb18030", "gb18030"},
      {"big5", "windows-950-2000"},
      {"shift_jis", "ibm-943_P15A-2003"},
      {"ks_c_5601-1987", "windows-949-2000"},
      {"euc-kr", "ibm-970_P110_P110-2006_U2"},
      {"us-ascii", "US-ASCII"},
      {"iso-8859-1", "ISO-8859-1"},
      {"windows-1252", "ibm-5348_P100-1997"},
      {"koi8-r", "ibm-878_P100-1996"},
  };
  for (const KnownName& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(IcuConverterNameFor(c.name), std::optional<std::string>(c.converter));
  }
}

TEST(CharsetNamesTest, RefusesNamesThatAreNotInternetCharsetNames) {
  const std::string_view cases[] = {
      "",
      "no-such-charset",
      "default",
      "x-user-defined",
      "utf 8",
      "utf-8,version=1",     // converter options are ICU's, not a charset name
      "ibm-1383_P110-1999",  // ICU's internal table name
      "LMBCS-1",             // an ICU-only converter
      std::string_view("utf-8\0", 6),
      "\xD6\xD0\xCE\xC4",  // non-ASCII bytes
      "utf-8-utf-8-utf-8-utf-8-utf-8-utf-8-utf-8-utf-8-utf-8-utf-8-utf-8",
  };
  for (const std::string_view name : cases) {
    SCOPED_TRACE(std::string(name));
    EXPECT_EQ(IcuConverterNameFor(name), std::nullopt);
  }
}

}  // namespace
}  // namespace kelvaro::platform
