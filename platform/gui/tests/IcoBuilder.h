// Builds .ico data for tests, image by image, so that each test can break exactly one thing.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace kelvaro::testing {

using Bytes = std::vector<std::uint8_t>;

void Put16(Bytes& bytes, std::size_t at, std::uint16_t value);
void Put32(Bytes& bytes, std::size_t at, std::uint32_t value);

struct BitmapPlan {
  int width = 16;
  int height = 16;
  int bits = 32;
  // Colour of each pixel as 0xAARRGGBB (x, y from the top left); for 1, 4 and 8 bits the palette
  // index instead.
  std::function<std::uint32_t(int x, int y)> pixel = [](int, int) { return 0xFF808080u; };
  // True where the mask marks the pixel transparent.
  std::function<bool(int x, int y)> transparent = [](int, int) { return false; };
  std::vector<std::uint32_t> palette;  // 0x00RRGGBB; for 1, 4 and 8 bits
};

// An uncompressed device-independent bitmap as an icon image stores it (40-byte info header,
// doubled height, palette, colour rows and mask rows bottom-up).
Bytes MakeDib(const BitmapPlan& plan);

struct IcoImage {
  int width = 16;  // directory entry's width byte (256 is written as 0)
  int height = 16;
  int colourCount = 0;
  int bits = 32;
  Bytes image;
};

// Header, directory and images, in order, with correct sizes and offsets.
Bytes MakeIco(const std::vector<IcoImage>& images);

// The byte offset of directory entry `index` in data made by MakeIco.
constexpr std::size_t EntryAt(std::size_t index) {
  return 6 + 16 * index;
}

}  // namespace kelvaro::testing
