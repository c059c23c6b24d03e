#include "platform/gui/IconData.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/gui/tests/IcoBuilder.h"

namespace kelvaro::platform {
namespace {

using testing::BitmapPlan;
using testing::Bytes;
using testing::EntryAt;
using testing::IcoImage;
using testing::MakeDib;
using testing::MakeIco;
using testing::Put16;
using testing::Put32;

// An image whose every pixel has this colour, so a test can tell which image was chosen.
IcoImage Plain(int width, int colourCount, std::uint32_t argb, int bits = 32) {
  BitmapPlan plan;
  plan.width = width;
  plan.height = width;
  plan.bits = bits;
  plan.pixel = [argb](int, int) { return argb; };
  return IcoImage{width, width, colourCount, bits, MakeDib(plan)};
}

TEST(SelectIconImage, FirstPreferredWidthWithSixteenColoursOrMoreElseTheLast) {
  struct Case {
    std::string name;
    std::vector<std::pair<int, int>> entries;  // width, colour count
    int preferred;
    std::size_t expected;
  };
  const Case cases[] = {
      {"only image", {{128, 0}}, 16, 0},
      {"preferred width with 16 colours", {{32, 16}, {16, 16}, {48, 16}}, 16, 1},
      {"first of two matches", {{16, 16}, {16, 255}}, 16, 0},
      {"colour count 0 (true colour) does not qualify", {{16, 0}, {32, 0}}, 16, 1},
      {"colour count 8 does not qualify", {{16, 8}, {48, 16}}, 16, 1},
      {"no preferred width: the last", {{48, 16}, {24, 16}, {64, 16}}, 16, 2},
      {"32-pixel preference", {{16, 16}, {32, 16}, {48, 16}}, 32, 1},
      {"width byte 0 is 256", {{256, 16}, {16, 0}}, 256, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<IconDirectoryEntry> directory;
    for (const auto& [width, colours] : c.entries) {
      IconDirectoryEntry entry;
      entry.width = width;
      entry.height = width;
      entry.colourCount = colours;
      directory.push_back(entry);
    }
    EXPECT_EQ(SelectIconImage(directory, c.preferred), c.expected);
  }
}

TEST(ReadIconDirectory, ReadsEveryEntryField) {
  Bytes ico = MakeIco({Plain(16, 16, 0xFF0000FFu), Plain(256, 0, 0xFF00FF00u)});
  const auto directory = ReadIconDirectory(ico);
  ASSERT_TRUE(directory.has_value());
  ASSERT_EQ(directory->size(), 2u);
  EXPECT_EQ((*directory)[0].width, 16);
  EXPECT_EQ((*directory)[0].colourCount, 16);
  EXPECT_EQ((*directory)[0].bitsPerPixel, 32);
  EXPECT_EQ((*directory)[0].offset, 6u + 32u);
  EXPECT_EQ((*directory)[1].width, 256);
  EXPECT_EQ((*directory)[1].height, 256);
  EXPECT_EQ((*directory)[1].offset, (*directory)[0].offset + (*directory)[0].byteSize);
}

TEST(MakeIcon, ChoosesByPreferenceAndDecodesAtTheImagesOwnSize) {
  const Bytes ico =
      MakeIco({Plain(32, 16, 0xFF0000FFu), Plain(16, 16, 0xFF00FF00u), Plain(48, 16, 0xFFFF0000u)});
  const auto small = MakeIcon(ico, 16);
  ASSERT_TRUE(small.has_value());
  EXPECT_EQ(small->width, 16);
  EXPECT_EQ(small->pixels.front(), 0xFF00FF00u);
  const auto large = MakeIcon(ico, 32);
  ASSERT_TRUE(large.has_value());
  EXPECT_EQ(large->width, 32);
  EXPECT_EQ(large->pixels.front(), 0xFF0000FFu);
}

TEST(MakeIcon, TriesThe32PixelPreferenceWhenTheFirstChoiceYieldsNothing) {
  // The 16-pixel preference falls on the last image, which is broken.
  Bytes ico = MakeIco({Plain(32, 16, 0xFF0000FFu), Plain(48, 0, 0xFFFF0000u)});
  Put32(ico, EntryAt(1) + 12, 0xFFFFFF00u);  // offset far past the end
  const auto icon = MakeIcon(ico, 16);
  ASSERT_TRUE(icon.has_value());
  EXPECT_EQ(icon->width, 32);
  EXPECT_EQ(icon->pixels.front(), 0xFF0000FFu);
  // When the 32-pixel choice is broken too, there is no icon.
  Put32(ico, EntryAt(0) + 12, 0xFFFFFF00u);
  EXPECT_FALSE(MakeIcon(ico, 16).has_value());
}

TEST(DecodeIconImage, PixelsTopRowFirstWithAlphaFromPixelsOrMask) {
  struct Case {
    std::string name;
    int bits;
    std::function<std::uint32_t(int, int)> pixel;
    std::vector<std::uint32_t> palette;
    std::uint32_t expectedTopLeft;
    std::uint32_t expectedBottomRight;
  };
  // The mask marks the bottom-right pixel transparent in every case.
  const Case cases[] = {
      {"32 bits: alpha from the pixels, the mask ignored",
       32,
       [](int x, int y) { return x == 0 && y == 0 ? 0x80102030u : 0xFF405060u; },
       {},
       0x80102030u,
       0xFF405060u},
      {"32 bits with every alpha 0: alpha from the mask",
       32,
       [](int x, int y) { return x == 0 && y == 0 ? 0x00102030u : 0x00405060u; },
       {},
       0xFF102030u,
       0x00000000u},
      {"24 bits",
       24,
       [](int x, int y) { return x == 0 && y == 0 ? 0x00A0B0C0u : 0x00010203u; },
       {},
       0xFFA0B0C0u,
       0x00000000u},
      {"8 bits with palette",
       8,
       [](int x, int y) { return x == 0 && y == 0 ? 1u : 0u; },
       {0x00111111u, 0x00FF8000u},
       0xFFFF8000u,
       0x00000000u},
      {"4 bits with palette",
       4,
       [](int x, int y) { return x == 0 && y == 0 ? 3u : 2u; },
       {0, 0, 0x00123456u, 0x00ABCDEFu},
       0xFFABCDEFu,
       0x00000000u},
      {"1 bit with palette",
       1,
       [](int x, int y) { return x == 0 && y == 0 ? 1u : 0u; },
       {0x00000000u, 0x00FFFFFFu},
       0xFFFFFFFFu,
       0x00000000u},
      {"palette index past the palette draws black",
       8,
       [](int, int) { return 200u; },
       {0x00FFFFFFu},
       0xFF000000u,
       0x00000000u},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    BitmapPlan plan;
    plan.width = 5;  // rows need padding at every depth
    plan.height = 3;
    plan.bits = c.bits;
    plan.pixel = c.pixel;
    plan.palette = c.palette;
    plan.transparent = [](int x, int y) { return x == 4 && y == 2; };
    const Bytes ico = MakeIco({IcoImage{5, 3, 0, c.bits, MakeDib(plan)}});
    const auto icon = MakeIcon(ico, 16);
    ASSERT_TRUE(icon.has_value());
    ASSERT_EQ(icon->width, 5);
    ASSERT_EQ(icon->height, 3);
    EXPECT_EQ(icon->pixels.front(), c.expectedTopLeft);
    EXPECT_EQ(icon->pixels.back(), c.expectedBottomRight);
  }
}

// Every row is one way data can be cut short or lie about itself; none may give an icon, and none
// may make the reader look outside the bytes (the sanitizer build checks that).
TEST(MakeIcon, TruncatedOrMalformedDataGivesNoIcon) {
  const Bytes good = MakeIco({Plain(16, 0, 0xFF808080u)});
  const std::size_t image = good.size() - MakeDib(BitmapPlan{}).size();  // offset of the image
  struct Case {
    std::string name;
    std::function<void(Bytes&)> spoil;
  };
  const Case cases[] = {
      {"empty", [](Bytes& d) { d.clear(); }},
      {"header cut short", [](Bytes& d) { d.resize(5); }},
      {"reserved field not 0", [](Bytes& d) { Put16(d, 0, 1); }},
      {"cursor, not icon", [](Bytes& d) { Put16(d, 2, 2); }},
      {"no image", [](Bytes& d) { Put16(d, 4, 0); }},
      {"directory cut short", [](Bytes& d) { d.resize(6 + 15); }},
      {"more entries than the data holds", [](Bytes& d) { Put16(d, 4, 3); }},
      {"image offset past the end", [](Bytes& d) { Put32(d, EntryAt(0) + 12, 0x7FFFFFFFu); }},
      {"image size past the end", [](Bytes& d) { Put32(d, EntryAt(0) + 8, 0x10000u); }},
      {"offset plus size wraps around",
       [](Bytes& d) {
         Put32(d, EntryAt(0) + 12, 0xFFFFFFF0u);
         Put32(d, EntryAt(0) + 8, 0x20u);
       }},
      {"image data cut short by one byte", [](Bytes& d) { d.pop_back(); }},
      {"image size too small for its mask",
       [](Bytes& d) { Put32(d, EntryAt(0) + 8, static_cast<std::uint32_t>(d.size() - 22 - 1)); }},
      {"info header shorter than 40 bytes", [image](Bytes& d) { Put32(d, image, 12); }},
      {"info header longer than the image", [image](Bytes& d) { Put32(d, image, 0x100000u); }},
      {"width 0", [image](Bytes& d) { Put32(d, image + 4, 0); }},
      {"negative width", [image](Bytes& d) { Put32(d, image + 4, 0xFFFFFFF0u); }},
      {"huge width", [image](Bytes& d) { Put32(d, image + 4, 0x40000000u); }},
      {"negative (top-down) height", [image](Bytes& d) { Put32(d, image + 8, 0xFFFFFFE0u); }},
      {"odd height", [image](Bytes& d) { Put32(d, image + 8, 31); }},
      {"height larger than the data", [image](Bytes& d) { Put32(d, image + 8, 64); }},
      {"two planes", [image](Bytes& d) { Put16(d, image + 12, 2); }},
      {"16 bits per pixel", [image](Bytes& d) { Put16(d, image + 14, 16); }},
      {"0 bits per pixel", [image](Bytes& d) { Put16(d, image + 14, 0); }},
      {"run-length compressed", [image](Bytes& d) { Put32(d, image + 16, 1); }},
      {"bit fields", [image](Bytes& d) { Put32(d, image + 16, 3); }},
      {"compressed (PNG) image",
       [image](Bytes& d) {
         const std::uint8_t png[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
         std::copy(std::begin(png), std::end(png), d.begin() + static_cast<std::ptrdiff_t>(image));
       }},
      {"palette larger than the image",
       [image](Bytes& d) {
         Put16(d, image + 14, 8);
         Put32(d, image + 32, 0x7FFFFFFFu);
       }},
  };
  ASSERT_TRUE(MakeIcon(good, 16).has_value());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes data = good;
    c.spoil(data);
    // An exactly sized copy, so that a read past the end is a read outside the allocation.
    const Bytes exact(data.begin(), data.end());
    EXPECT_FALSE(MakeIcon(exact, 16).has_value());
    EXPECT_FALSE(MakeIcon(exact, 32).has_value());
  }
}

}  // namespace
}  // namespace kelvaro::platform
