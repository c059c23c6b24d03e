#include "tools/icon-generator/IconPainter.h"

#include <gtest/gtest.h>

#include "platform/gui/IconData.h"

namespace kelvaro::tools {
namespace {

TEST(EncodeIco, WritesOneImageWithItsMaskInTheIconLayout) {
  const QImage picture = PaintAppIcon();
  const std::vector<std::uint8_t> ico = EncodeIco(picture);
  ASSERT_EQ(ico.size(), 67646u);
  const auto directory = platform::ReadIconDirectory(ico);
  ASSERT_TRUE(directory.has_value());
  ASSERT_EQ(directory->size(), 1u);
  EXPECT_EQ((*directory)[0].width, 128);
  EXPECT_EQ((*directory)[0].height, 128);
  EXPECT_EQ((*directory)[0].bitsPerPixel, 32);
  EXPECT_EQ((*directory)[0].byteSize, 67624u);
  EXPECT_EQ((*directory)[0].offset, 22u);

  // Read back, the pixels are the picture's (alpha from the pixels), top row first.
  const auto decoded = platform::MakeIcon(ico, 16);
  ASSERT_TRUE(decoded.has_value());
  ASSERT_EQ(decoded->width, 128);
  ASSERT_EQ(decoded->height, 128);
  for (int y = 0; y < 128; ++y) {
    for (int x = 0; x < 128; ++x) {
      const auto index = static_cast<std::size_t>(y * 128 + x);
      ASSERT_EQ(decoded->pixels[index], picture.pixel(x, y)) << x << "," << y;
    }
  }
}

TEST(EncodeIco, MaskMarksExactlyTheTransparentPixels) {
  const QImage picture = PaintAppIcon();
  const std::vector<std::uint8_t> ico = EncodeIco(picture);
  const std::size_t maskAt = 22 + 40 + 128 * 128 * 4;
  for (int y = 0; y < 128; ++y) {
    const std::size_t row = maskAt + static_cast<std::size_t>(127 - y) * 16;
    for (int x = 0; x < 128; ++x) {
      const bool masked = (ico[row + static_cast<std::size_t>(x / 8)] >> (7 - x % 8)) & 1;
      ASSERT_EQ(masked, qAlpha(picture.pixel(x, y)) == 0) << x << "," << y;
    }
  }
}

TEST(PaintAppIcon, GreyPhoneWithALensOnATransparentBackground) {
  const QImage picture = PaintAppIcon();
  ASSERT_EQ(picture.size(), QSize(128, 128));
  // Background.
  for (const QPoint corner : {QPoint(0, 0), QPoint(127, 0), QPoint(0, 127), QPoint(4, 64)}) {
    EXPECT_EQ(qAlpha(picture.pixel(corner)), 0);
  }
  // The phone's body beside the screen is an opaque grey.
  const QColor body = picture.pixelColor(33, 40);
  EXPECT_EQ(body.alpha(), 255);
  EXPECT_LE(std::abs(body.red() - body.green()), 8);
  EXPECT_LE(std::abs(body.green() - body.blue()), 8);
  EXPECT_GT(body.red(), 0x50);
  // The magnifier's rim and handle are dark and opaque.
  for (const QPoint dark : {QPoint(86 + 21, 92), QPoint(112, 114)}) {
    const QColor colour = picture.pixelColor(dark);
    EXPECT_EQ(colour.alpha(), 255);
    EXPECT_LT(colour.value(), 0x50);
  }
}

}  // namespace
}  // namespace kelvaro::tools
