// AppIcon: the program's icon as .ico data (one 128 x 128 image, 32 bits per pixel with its
// 1-bit mask; 67,646 bytes): a grey mobile phone with a magnifying glass over its lower right
// part. It serves as the window's icon and as the tray icon. Drawn by tools/icon-generator.
#pragma once

#include <cstdint>
#include <span>

namespace kelvaro {

std::span<const std::uint8_t> AppIcon();

}  // namespace kelvaro
