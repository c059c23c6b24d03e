#include "platform/gui/tests/IcoBuilder.h"

namespace kelvaro::testing {

// Little-endian; a write that would not fit is dropped.
void Put16(Bytes& bytes, std::size_t at, std::uint16_t value) {
  if (at + 2 > bytes.size()) return;
  const auto place = bytes.begin() + static_cast<std::ptrdiff_t>(at);
  place[0] = static_cast<std::uint8_t>(value & 0xFF);
  place[1] = static_cast<std::uint8_t>(value >> 8);
}

void Put32(Bytes& bytes, std::size_t at, std::uint32_t value) {
  if (at + 4 > bytes.size()) return;
  const auto place = bytes.begin() + static_cast<std::ptrdiff_t>(at);
  for (std::ptrdiff_t i = 0; i < 4; ++i) place[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

namespace {
std::size_t Stride(int width, int bits) {
  return static_cast<std::size_t>((width * bits + 31) / 32 * 4);
}
}  // namespace

Bytes MakeDib(const BitmapPlan& plan) {
  const std::size_t paletteBytes = plan.palette.size() * 4;
  const std::size_t colourStride = Stride(plan.width, plan.bits);
  const std::size_t maskStride = Stride(plan.width, 1);
  const auto height = static_cast<std::size_t>(plan.height);
  Bytes dib(40 + paletteBytes + (colourStride + maskStride) * height, 0);
  Put32(dib, 0, 40);
  Put32(dib, 4, static_cast<std::uint32_t>(plan.width));
  Put32(dib, 8, static_cast<std::uint32_t>(plan.height * 2));
  Put16(dib, 12, 1);
  Put16(dib, 14, static_cast<std::uint16_t>(plan.bits));
  Put32(dib, 32, static_cast<std::uint32_t>(plan.palette.size()));
  for (std::size_t i = 0; i < plan.palette.size(); ++i) Put32(dib, 40 + i * 4, plan.palette[i]);
  const std::size_t colourAt = 40 + paletteBytes;
  const std::size_t maskAt = colourAt + colourStride * height;
  for (int y = 0; y < plan.height; ++y) {
    const auto storedRow = height - 1 - static_cast<std::size_t>(y);
    const std::size_t row = colourAt + storedRow * colourStride;
    for (int x = 0; x < plan.width; ++x) {
      const std::uint32_t value = plan.pixel(x, y);
      const auto ux = static_cast<std::size_t>(x);
      if (plan.bits == 32) {
        Put32(dib, row + ux * 4, value);
      } else if (plan.bits == 24) {
        dib[row + ux * 3] = static_cast<std::uint8_t>(value);
        dib[row + ux * 3 + 1] = static_cast<std::uint8_t>(value >> 8);
        dib[row + ux * 3 + 2] = static_cast<std::uint8_t>(value >> 16);
      } else {
        const std::size_t bit = ux * static_cast<std::size_t>(plan.bits);
        const auto shift = 8 - static_cast<std::size_t>(plan.bits) - bit % 8;
        dib[row + bit / 8] = static_cast<std::uint8_t>(dib[row + bit / 8] | (value << shift));
      }
      if (plan.transparent(x, y)) {
        const std::size_t maskRow = maskAt + storedRow * maskStride;
        dib[maskRow + ux / 8] =
            static_cast<std::uint8_t>(dib[maskRow + ux / 8] | (0x80 >> (ux % 8)));
      }
    }
  }
  return dib;
}

Bytes MakeIco(const std::vector<IcoImage>& images) {
  Bytes ico(6 + 16 * images.size(), 0);
  Put16(ico, 2, 1);
  Put16(ico, 4, static_cast<std::uint16_t>(images.size()));
  for (std::size_t i = 0; i < images.size(); ++i) {
    const IcoImage& image = images[i];
    const std::size_t at = EntryAt(i);
    ico[at] = static_cast<std::uint8_t>(image.width == 256 ? 0 : image.width);
    ico[at + 1] = static_cast<std::uint8_t>(image.height == 256 ? 0 : image.height);
    ico[at + 2] = static_cast<std::uint8_t>(image.colourCount);
    Put16(ico, at + 4, 1);
    Put16(ico, at + 6, static_cast<std::uint16_t>(image.bits));
    Put32(ico, at + 8, static_cast<std::uint32_t>(image.image.size()));
    Put32(ico, at + 12, static_cast<std::uint32_t>(ico.size()));
    ico.insert(ico.end(), image.image.begin(), image.image.end());
  }
  return ico;
}

}  // namespace kelvaro::testing
