#include "app/AppIcon.h"

#include <gtest/gtest.h>

#include "platform/gui/IconData.h"

namespace kelvaro {
namespace {

std::uint32_t Read32(std::span<const std::uint8_t> data, std::size_t at) {
  return static_cast<std::uint32_t>(data[at]) | (static_cast<std::uint32_t>(data[at + 1]) << 8) |
         (static_cast<std::uint32_t>(data[at + 2]) << 16) |
         (static_cast<std::uint32_t>(data[at + 3]) << 24);
}

TEST(AppIcon, HasTheIconLayoutOfOne128PixelImageWithItsMask) {
  const std::span<const std::uint8_t> icon = AppIcon();
  ASSERT_EQ(icon.size(), 67646u);
  // Header: reserved 0, type 1, one image.
  EXPECT_EQ((std::vector<std::uint8_t>(icon.begin(), icon.begin() + 6)),
            (std::vector<std::uint8_t>{0, 0, 1, 0, 1, 0}));
  // Directory entry: 128 x 128, 32 bits, 67,624 bytes at offset 22.
  EXPECT_EQ(icon[6], 128);
  EXPECT_EQ(icon[7], 128);
  EXPECT_EQ(icon[12] | (icon[13] << 8), 32);
  EXPECT_EQ(Read32(icon, 14), 67624u);
  EXPECT_EQ(Read32(icon, 18), 22u);
  // Info header: 40 bytes, 128 wide, 256 high (colour and mask rows), one plane, 32 bits, no
  // compression.
  EXPECT_EQ(Read32(icon, 22), 40u);
  EXPECT_EQ(Read32(icon, 26), 128u);
  EXPECT_EQ(Read32(icon, 30), 256u);
  EXPECT_EQ(icon[34] | (icon[35] << 8), 1);
  EXPECT_EQ(icon[36] | (icon[37] << 8), 32);
  EXPECT_EQ(Read32(icon, 38), 0u);
}

TEST(AppIcon, MakesTheSame128PixelIconForEveryPreference) {
  for (const int preferred : {16, 32}) {
    SCOPED_TRACE(preferred);
    const auto image = platform::MakeIcon(AppIcon(), preferred);
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(image->width, 128);
    EXPECT_EQ(image->height, 128);
    // Transparent background, opaque picture.
    EXPECT_EQ(image->pixels.front() >> 24, 0u);
    EXPECT_EQ(image->pixels[64 * 128 + 40] >> 24, 0xFFu);
  }
}

}  // namespace
}  // namespace kelvaro
