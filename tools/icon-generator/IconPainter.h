// Draws the program's icon and encodes it as .ico data.
#pragma once

#include <QImage>
#include <cstdint>
#include <vector>

namespace kelvaro::tools {

inline constexpr int kIconSide = 128;

// The picture on a transparent background: a grey candy-bar mobile phone (screen above a keypad)
// with a magnifying glass held over its lower right part. ARGB, 128 x 128.
QImage PaintAppIcon();

// .ico data with `image` as its one image: the 6-byte header, one 16-byte directory entry, then a
// device-independent bitmap (40-byte info header, 32-bit colour rows, 1-bit mask rows, both
// bottom-up). The mask marks every fully transparent pixel. For a 128 x 128 image: 67,646 bytes.
std::vector<std::uint8_t> EncodeIco(const QImage& image);

}  // namespace kelvaro::tools
