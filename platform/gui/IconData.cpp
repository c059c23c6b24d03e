#include "platform/gui/IconData.h"

#include <algorithm>

namespace kelvaro::platform {

namespace {

constexpr std::size_t kHeaderSize = 6;
constexpr std::size_t kEntrySize = 16;
constexpr std::uint32_t kInfoHeaderMinSize = 40;
constexpr std::uint32_t kUncompressed = 0;
// Real icons are at most 256 pixels wide; the limit keeps every size computation small.
constexpr std::int64_t kMaxSide = 1024;

std::uint16_t Read16(std::span<const std::uint8_t> data, std::size_t at) {
  return static_cast<std::uint16_t>(data[at] | (data[at + 1] << 8));
}

std::uint32_t Read32(std::span<const std::uint8_t> data, std::size_t at) {
  return static_cast<std::uint32_t>(data[at]) | (static_cast<std::uint32_t>(data[at + 1]) << 8) |
         (static_cast<std::uint32_t>(data[at + 2]) << 16) |
         (static_cast<std::uint32_t>(data[at + 3]) << 24);
}

std::int32_t ReadSigned32(std::span<const std::uint8_t> data, std::size_t at) {
  return static_cast<std::int32_t>(Read32(data, at));
}

// Bytes per row of `bits`-per-pixel pixels, padded to 4 bytes.
std::int64_t RowStride(std::int64_t width, std::int64_t bits) {
  return (width * bits + 31) / 32 * 4;
}

}  // namespace

std::optional<std::vector<IconDirectoryEntry>> ReadIconDirectory(
    std::span<const std::uint8_t> data) {
  if (data.size() < kHeaderSize) return std::nullopt;
  if (Read16(data, 0) != 0 || Read16(data, 2) != 1) return std::nullopt;
  const std::size_t count = Read16(data, 4);
  if (count == 0 || data.size() < kHeaderSize + count * kEntrySize) return std::nullopt;
  std::vector<IconDirectoryEntry> directory;
  directory.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t at = kHeaderSize + i * kEntrySize;
    IconDirectoryEntry entry;
    entry.width = data[at] == 0 ? 256 : data[at];
    entry.height = data[at + 1] == 0 ? 256 : data[at + 1];
    entry.colourCount = data[at + 2];
    entry.bitsPerPixel = Read16(data, at + 6);
    entry.byteSize = Read32(data, at + 8);
    entry.offset = Read32(data, at + 12);
    directory.push_back(entry);
  }
  return directory;
}

std::size_t SelectIconImage(std::span<const IconDirectoryEntry> directory, int preferredWidth) {
  for (std::size_t i = 0; i < directory.size(); ++i) {
    if (directory[i].width == preferredWidth && directory[i].colourCount >= 16) return i;
  }
  return directory.empty() ? 0 : directory.size() - 1;
}

std::optional<IconImage> DecodeIconImage(std::span<const std::uint8_t> data,
                                         const IconDirectoryEntry& entry) {
  // The image's bytes, as the entry places them; nothing outside them is read.
  if (entry.offset > data.size() || entry.byteSize > data.size() - entry.offset) {
    return std::nullopt;
  }
  const std::span<const std::uint8_t> image = data.subspan(entry.offset, entry.byteSize);
  if (image.size() < kInfoHeaderMinSize) return std::nullopt;
  const std::uint32_t headerSize = Read32(image, 0);
  if (headerSize < kInfoHeaderMinSize || headerSize > image.size()) return std::nullopt;
  const std::int64_t width = ReadSigned32(image, 4);
  const std::int64_t doubledHeight = ReadSigned32(image, 8);
  const std::uint16_t planes = Read16(image, 12);
  const std::int64_t bits = Read16(image, 14);
  const std::uint32_t compression = Read32(image, 16);
  const std::uint32_t coloursUsed = Read32(image, 32);
  if (width <= 0 || width > kMaxSide || doubledHeight <= 0 || doubledHeight % 2 != 0 ||
      doubledHeight / 2 > kMaxSide || planes != 1 || compression != kUncompressed) {
    return std::nullopt;
  }
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return std::nullopt;
  const std::int64_t height = doubledHeight / 2;

  std::int64_t paletteSize = 0;
  if (bits <= 8) {
    const std::int64_t full = std::int64_t{1} << bits;
    paletteSize = coloursUsed == 0 ? full : std::min<std::int64_t>(coloursUsed, full);
  }
  const std::int64_t paletteAt = headerSize;
  const std::int64_t colourAt = paletteAt + paletteSize * 4;
  const std::int64_t colourStride = RowStride(width, bits);
  const std::int64_t maskAt = colourAt + colourStride * height;
  const std::int64_t maskStride = RowStride(width, 1);
  const std::int64_t end = maskAt + maskStride * height;
  if (end > static_cast<std::int64_t>(image.size())) return std::nullopt;

  const auto at = [](std::int64_t offset) { return static_cast<std::size_t>(offset); };
  const auto paletteColour = [&](std::int64_t index) -> std::uint32_t {
    if (index >= paletteSize) return 0;  // an index past the palette draws black
    const std::size_t p = at(paletteAt + index * 4);
    return (static_cast<std::uint32_t>(image[p + 2]) << 16) |
           (static_cast<std::uint32_t>(image[p + 1]) << 8) | image[p];
  };

  IconImage result;
  result.width = static_cast<int>(width);
  result.height = static_cast<int>(height);
  result.pixels.assign(at(width * height), 0);
  bool anyAlpha = false;
  for (std::int64_t y = 0; y < height; ++y) {
    // Rows are stored bottom-up.
    const std::int64_t row = colourAt + (height - 1 - y) * colourStride;
    for (std::int64_t x = 0; x < width; ++x) {
      std::uint32_t argb = 0;
      switch (bits) {
        case 32: {
          const std::size_t p = at(row + x * 4);
          argb = (static_cast<std::uint32_t>(image[p + 3]) << 24) |
                 (static_cast<std::uint32_t>(image[p + 2]) << 16) |
                 (static_cast<std::uint32_t>(image[p + 1]) << 8) | image[p];
          anyAlpha = anyAlpha || image[p + 3] != 0;
          break;
        }
        case 24: {
          const std::size_t p = at(row + x * 3);
          argb = (static_cast<std::uint32_t>(image[p + 2]) << 16) |
                 (static_cast<std::uint32_t>(image[p + 1]) << 8) | image[p];
          break;
        }
        default: {
          const std::int64_t bitIndex = x * bits;
          const std::uint8_t byte = image[at(row + bitIndex / 8)];
          const int shift = static_cast<int>(8 - bits - bitIndex % 8);
          const std::int64_t index = (byte >> shift) & ((1 << bits) - 1);
          argb = paletteColour(index);
          break;
        }
      }
      result.pixels[at(y * width + x)] = argb;
    }
  }
  if (bits != 32 || !anyAlpha) {
    for (std::int64_t y = 0; y < height; ++y) {
      const std::int64_t row = maskAt + (height - 1 - y) * maskStride;
      for (std::int64_t x = 0; x < width; ++x) {
        const bool transparent = (image[at(row + x / 8)] >> (7 - x % 8)) & 1;
        std::uint32_t& pixel = result.pixels[at(y * width + x)];
        pixel = transparent ? 0 : (pixel | 0xFF000000u);
      }
    }
  }
  return result;
}

std::optional<IconImage> MakeIcon(std::span<const std::uint8_t> data, int preferredWidth) {
  const auto directory = ReadIconDirectory(data);
  if (!directory) return std::nullopt;
  auto icon = DecodeIconImage(data, (*directory)[SelectIconImage(*directory, preferredWidth)]);
  if (!icon && preferredWidth != 32) {
    icon = DecodeIconImage(data, (*directory)[SelectIconImage(*directory, 32)]);
  }
  return icon;
}

}  // namespace kelvaro::platform
