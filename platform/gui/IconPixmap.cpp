#include "platform/gui/IconPixmap.h"

#include <QImage>
#include <cstring>

namespace kelvaro::platform {

QPixmap ToPixmap(const IconImage& image) {
  QImage pixels(image.width, image.height, QImage::Format_ARGB32);
  for (int y = 0; y < image.height; ++y) {
    std::memcpy(
        pixels.scanLine(y),
        image.pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width),
        static_cast<std::size_t>(image.width) * sizeof(std::uint32_t));
  }
  return QPixmap::fromImage(pixels);
}

}  // namespace kelvaro::platform
