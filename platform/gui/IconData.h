// Reading icons from .ico data: the directory, the choice of one image, and its pixels.
//
// Layout read: a 6-byte header (reserved 0, type 1, image count >= 1), one 16-byte directory entry
// per image (width, height, colour count, reserved, planes, bits per pixel, byte size, offset; a
// width or height byte of 0 means 256), and each image as a device-independent bitmap: an info
// header of at least 40 bytes (height counting colour rows and mask rows together), a palette for
// 1, 4 and 8 bits per pixel, the colour rows, then the 1-bit mask rows; rows bottom-up, each
// padded to 4 bytes. Uncompressed 1, 4, 8, 24 and 32 bits per pixel are understood.
//
// Nothing here reads outside the given bytes: truncated or malformed data gives std::nullopt.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace kelvaro::platform {

struct IconDirectoryEntry {
  int width = 0;        // 1..256
  int height = 0;       // 1..256
  int colourCount = 0;  // the entry's colour-count byte, 0..255
  int bitsPerPixel = 0;
  std::uint32_t byteSize = 0;
  std::uint32_t offset = 0;
};

// Pixels top row first, left to right, as 0xAARRGGBB (not premultiplied).
struct IconImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
};

// The directory, or std::nullopt when the header is not an icon header (reserved not 0, type not
// 1, no image) or the directory does not fit in the data.
std::optional<std::vector<IconDirectoryEntry>> ReadIconDirectory(
    std::span<const std::uint8_t> data);

// Index of the first entry whose width is `preferredWidth` and whose colour count is 16 or more;
// the last entry when none is. The directory must not be empty.
std::size_t SelectIconImage(std::span<const IconDirectoryEntry> directory, int preferredWidth);

// The pixels of one image as its entry places it, at the image's own size (its info header's);
// std::nullopt when the image does not lie inside `data` or is not a bitmap understood here.
// 32-bit images take their alpha from the pixels, unless every alpha byte is 0; every other image
// (and such a 32-bit one) takes it from the mask, a set bit being transparent.
std::optional<IconImage> DecodeIconImage(std::span<const std::uint8_t> data,
                                         const IconDirectoryEntry& entry);

// Makes an icon: chooses an image with SelectIconImage for `preferredWidth` and decodes it; when
// that yields nothing, tries again preferring a 32-pixel image. Empty or unreadable data yields
// std::nullopt.
std::optional<IconImage> MakeIcon(std::span<const std::uint8_t> data, int preferredWidth);

}  // namespace kelvaro::platform
