#include "text/Text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "text/TextOps.h"

namespace kelvaro {
namespace {

TEST(TextValueTest, BuildingFromBytesStopsAtTheFirstZeroByte) {
  const struct {
    const char* label;
    std::string bytes;
    std::string expected;
  } cases[] = {
      {"no zero", "ab\xD6\xD0", "ab\xD6\xD0"},
      {"zero in the middle", std::string("ab\0cd", 5), "ab"},
      {"zero first", std::string("\0ab", 3), ""},
      {"zero after a lead byte", std::string("a\xD6\0\xD0", 4), "a\xD6"},
      {"empty", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(Text(std::string_view(c.bytes)).bytes(), c.expected);
    EXPECT_EQ(Text(std::string(c.bytes)).bytes(), c.expected);
    std::vector<std::uint8_t> raw(c.bytes.begin(), c.bytes.end());
    EXPECT_EQ(Text::FromBytes(raw).bytes(), c.expected);
    EXPECT_EQ(TextFromBytes(raw).bytes(), c.expected);
    Text appended("x");
    appended.Append(std::string_view(c.bytes));
    EXPECT_EQ(appended.bytes(), "x" + c.expected);
  }
}

TEST(TextValueTest, EmptyAndMissingTextsAreOneValue) {
  const Text missing;
  const Text fromNull(static_cast<const char*>(nullptr));
  const Text empty("");
  EXPECT_EQ(missing, empty);
  EXPECT_EQ(fromNull, empty);
  EXPECT_TRUE(TextEquals(missing, empty));
  EXPECT_EQ(TextLength(missing), 0);
  EXPECT_EQ(TextLength(fromNull), 0);
  EXPECT_STREQ(missing.c_str(), "");
}

TEST(TextValueTest, CopiesAreIndependentValues) {
  Text original("abc");
  Text copy = original;
  copy.Append(std::string_view("def"));
  EXPECT_EQ(original.bytes(), "abc");
  EXPECT_EQ(copy.bytes(), "abcdef");
}

}  // namespace
}  // namespace kelvaro
