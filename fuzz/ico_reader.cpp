// Fuzzes the .ico reader of the GUI layer (platform/gui/IconData.h): the directory, the choice of
// one image, and its decoding, over arbitrary bytes.
//
// Input: the last byte picks the preferred width (16, 32, 48, 128, 256, or the byte itself); the
// rest is the .ico data.
//
// Checks: nothing is read outside the data (AddressSanitizer); the directory, when read, fits in
// the data and gives each entry's fields as its 16 bytes hold them (a width or height byte of 0
// meaning 256); the image chosen is the first whose width is the preferred one and whose colour
// count is 16 or more, else the last; a decoded image has a size of 1 to 1024 on both sides, one
// pixel for each place, and could not be larger than its bytes allow; an image that takes its
// alpha from the mask (below 32 bits) has only fully opaque and fully transparent (zero) pixels;
// MakeIcon gives the chosen image, or else the one chosen for 32 pixels, or nothing.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "platform/gui/IconData.h"

namespace {

namespace platform = kelvaro::platform;

std::uint32_t Read32(std::span<const std::uint8_t> data, std::size_t at) {
  return static_cast<std::uint32_t>(data[at]) | (static_cast<std::uint32_t>(data[at + 1]) << 8) |
         (static_cast<std::uint32_t>(data[at + 2]) << 16) |
         (static_cast<std::uint32_t>(data[at + 3]) << 24);
}

bool SameImage(const std::optional<platform::IconImage>& a,
               const std::optional<platform::IconImage>& b) {
  if (a.has_value() != b.has_value()) return false;
  return !a || (a->width == b->width && a->height == b->height && a->pixels == b->pixels);
}

void CheckDirectory(std::span<const std::uint8_t> data,
                    const std::vector<platform::IconDirectoryEntry>& directory) {
  KELVARO_FUZZ_CHECK(!directory.empty());
  KELVARO_FUZZ_CHECK(data.size() >= 6 + 16 * directory.size());
  KELVARO_FUZZ_CHECK(data[0] == 0 && data[1] == 0 && data[2] == 1 && data[3] == 0);
  KELVARO_FUZZ_CHECK(directory.size() == static_cast<std::size_t>(data[4] | (data[5] << 8)));
  for (std::size_t i = 0; i < directory.size(); ++i) {
    const std::size_t at = 6 + 16 * i;
    const platform::IconDirectoryEntry& entry = directory[i];
    KELVARO_FUZZ_CHECK(entry.width == (data[at] == 0 ? 256 : data[at]));
    KELVARO_FUZZ_CHECK(entry.height == (data[at + 1] == 0 ? 256 : data[at + 1]));
    KELVARO_FUZZ_CHECK(entry.colourCount == data[at + 2]);
    KELVARO_FUZZ_CHECK(entry.bitsPerPixel == (data[at + 6] | (data[at + 7] << 8)));
    KELVARO_FUZZ_CHECK(entry.byteSize == Read32(data, at + 8));
    KELVARO_FUZZ_CHECK(entry.offset == Read32(data, at + 12));
  }
}

std::size_t ExpectedChoice(const std::vector<platform::IconDirectoryEntry>& directory, int width) {
  for (std::size_t i = 0; i < directory.size(); ++i) {
    if (directory[i].width == width && directory[i].colourCount >= 16) return i;
  }
  return directory.size() - 1;
}

void CheckImage(std::span<const std::uint8_t> data, const platform::IconDirectoryEntry& entry,
                const platform::IconImage& image) {
  KELVARO_FUZZ_CHECK(image.width >= 1 && image.width <= 1024);
  KELVARO_FUZZ_CHECK(image.height >= 1 && image.height <= 1024);
  const auto places =
      static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height);
  KELVARO_FUZZ_CHECK(image.pixels.size() == places);
  // Every pixel takes at least one bit of colour and one of mask from the image's own bytes.
  KELVARO_FUZZ_CHECK(entry.offset <= data.size() && entry.byteSize <= data.size() - entry.offset);
  KELVARO_FUZZ_CHECK(places <= 4 * static_cast<std::size_t>(entry.byteSize));
  // The info header's bit count, 14 bytes into the image. Below 32 bits the mask gives the alpha.
  const std::size_t bitsAt = entry.offset + 14;
  const int bits = data[bitsAt] | (data[bitsAt + 1] << 8);
  if (bits == 32) return;  // alpha from the pixels: any value
  for (const std::uint32_t pixel : image.pixels) {
    KELVARO_FUZZ_CHECK(pixel == 0 || (pixel >> 24) == 0xFF);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const auto widthPick = in.ConsumeIntegral<std::uint8_t>();
  constexpr int kWidths[] = {16, 32, 48, 128, 256};
  const int preferredWidth = widthPick < 5 * 40 ? kWidths[widthPick % 5] : widthPick;
  const std::vector<std::uint8_t> bytes = in.ConsumeRemainingBytes<std::uint8_t>();
  // Exactly the bytes given: AddressSanitizer then sees any read past their end.
  const std::span<const std::uint8_t> ico(bytes.data(), bytes.size());

  const auto directory = platform::ReadIconDirectory(ico);
  if (!directory) {
    KELVARO_FUZZ_CHECK(!platform::MakeIcon(ico, preferredWidth));
    return 0;
  }
  CheckDirectory(ico, *directory);

  const std::size_t chosen = platform::SelectIconImage(*directory, preferredWidth);
  KELVARO_FUZZ_CHECK(chosen == ExpectedChoice(*directory, preferredWidth));
  const std::size_t chosen32 = platform::SelectIconImage(*directory, 32);
  KELVARO_FUZZ_CHECK(chosen32 == ExpectedChoice(*directory, 32));

  const auto image = platform::DecodeIconImage(ico, (*directory)[chosen]);
  if (image) CheckImage(ico, (*directory)[chosen], *image);
  const auto image32 = platform::DecodeIconImage(ico, (*directory)[chosen32]);
  if (image32) CheckImage(ico, (*directory)[chosen32], *image32);

  const auto icon = platform::MakeIcon(ico, preferredWidth);
  KELVARO_FUZZ_CHECK(SameImage(icon, image ? image : image32));

  // Every entry decodes or is refused without reading outside the data.
  for (const platform::IconDirectoryEntry& entry : *directory) {
    const auto decoded = platform::DecodeIconImage(ico, entry);
    if (decoded) CheckImage(ico, entry, *decoded);
  }
  return 0;
}
