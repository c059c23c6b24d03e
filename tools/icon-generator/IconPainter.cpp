#include "tools/icon-generator/IconPainter.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace kelvaro::tools {

namespace {

void PaintPhone(QPainter& painter) {
  // Body.
  const QRectF body(30, 6, 56, 116);
  QLinearGradient shade(body.topLeft(), body.topRight());
  shade.setColorAt(0.0, QColor(0xA8, 0xA8, 0xA8));
  shade.setColorAt(0.5, QColor(0x8E, 0x8E, 0x8E));
  shade.setColorAt(1.0, QColor(0x6A, 0x6A, 0x6A));
  painter.setPen(QPen(QColor(0x3C, 0x3C, 0x3C), 2));
  painter.setBrush(shade);
  painter.drawRoundedRect(body, 11, 11);

  // Earpiece.
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0x3C, 0x3C, 0x3C));
  painter.drawRoundedRect(QRectF(48, 12, 20, 4), 2, 2);

  // Screen in its bezel.
  painter.setBrush(QColor(0x2E, 0x36, 0x3E));
  painter.drawRoundedRect(QRectF(36, 20, 44, 38), 3, 3);
  QLinearGradient glow(QPointF(40, 24), QPointF(76, 54));
  glow.setColorAt(0.0, QColor(0xC6, 0xDD, 0xC4));
  glow.setColorAt(1.0, QColor(0x92, 0xB2, 0x94));
  painter.setBrush(glow);
  painter.drawRect(QRectF(40, 24, 36, 30));

  // Navigation key and the keypad: four rows of three keys.
  painter.setPen(QPen(QColor(0x4A, 0x4A, 0x4A), 1));
  painter.setBrush(QColor(0xCF, 0xCF, 0xCF));
  painter.drawRoundedRect(QRectF(50, 62, 16, 8), 3, 3);
  painter.setBrush(QColor(0xDE, 0xDE, 0xDE));
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 3; ++column) {
      painter.drawRoundedRect(QRectF(38 + column * 14, 75 + row * 11, 12, 8), 2.5, 2.5);
    }
  }
}

void PaintMagnifier(QPainter& painter) {
  const QPointF centre(86, 92);
  const qreal radius = 21;
  // Handle, towards the lower right corner.
  painter.setPen(QPen(QColor(0x2A, 0x22, 0x1C), 10, Qt::SolidLine, Qt::RoundCap));
  painter.drawLine(QPointF(101, 107), QPointF(121, 121));
  // Lens: a light tint that lets the keypad show through, with a highlight.
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0xB4, 0xD8, 0xF0, 0x78));
  painter.drawEllipse(centre, radius, radius);
  painter.setPen(QPen(QColor(255, 255, 255, 0xB0), 3, Qt::SolidLine, Qt::RoundCap));
  painter.setBrush(Qt::NoBrush);
  painter.drawArc(QRectF(centre.x() - 14, centre.y() - 14, 28, 28), 100 * 16, 60 * 16);
  // Rim.
  painter.setPen(QPen(QColor(0x33, 0x33, 0x38), 6));
  painter.drawEllipse(centre, radius, radius);
}

void Put16(std::vector<std::uint8_t>& out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value & 0xFF));
  out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

}  // namespace

QImage PaintAppIcon() {
  QImage image(kIconSide, kIconSide, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  PaintPhone(painter);
  PaintMagnifier(painter);
  painter.end();
  return image.convertToFormat(QImage::Format_ARGB32);
}

std::vector<std::uint8_t> EncodeIco(const QImage& picture) {
  const QImage image = picture.convertToFormat(QImage::Format_ARGB32);
  const auto width = static_cast<std::uint32_t>(image.width());
  const auto height = static_cast<std::uint32_t>(image.height());
  const std::uint32_t maskStride = (width + 31) / 32 * 4;
  const std::uint32_t colourBytes = width * height * 4;
  const std::uint32_t maskBytes = maskStride * height;
  const std::uint32_t imageBytes = 40 + colourBytes + maskBytes;

  std::vector<std::uint8_t> out;
  out.reserve(6 + 16 + imageBytes);
  // Header: reserved, type 1 (icon), one image.
  Put16(out, 0);
  Put16(out, 1);
  Put16(out, 1);
  // Directory entry: width, height (0 stands for 256), no palette, reserved, one plane, 32 bits.
  out.push_back(static_cast<std::uint8_t>(width & 0xFF));
  out.push_back(static_cast<std::uint8_t>(height & 0xFF));
  out.push_back(0);
  out.push_back(0);
  Put16(out, 1);
  Put16(out, 32);
  Put32(out, imageBytes);
  Put32(out, 6 + 16);
  // Info header; the height counts the colour rows and the mask rows.
  Put32(out, 40);
  Put32(out, width);
  Put32(out, height * 2);
  Put16(out, 1);
  Put16(out, 32);
  Put32(out, 0);  // uncompressed
  Put32(out, colourBytes + maskBytes);
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, 0);
  // Colour rows, bottom-up, as blue, green, red, alpha (not premultiplied).
  for (int y = image.height() - 1; y >= 0; --y) {
    const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < image.width(); ++x) Put32(out, row[x]);
  }
  // Mask rows, bottom-up: a set bit for each fully transparent pixel.
  for (int y = image.height() - 1; y >= 0; --y) {
    const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    std::vector<std::uint8_t> mask(maskStride, 0);
    for (int x = 0; x < image.width(); ++x) {
      if (qAlpha(row[x]) == 0) {
        mask[static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
      }
    }
    out.insert(out.end(), mask.begin(), mask.end());
  }
  return out;
}

}  // namespace kelvaro::tools
