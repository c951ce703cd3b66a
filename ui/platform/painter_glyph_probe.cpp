#include "ui/platform/painter_glyph_probe.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>

#include <cmath>

namespace corvane::ui {

namespace {

// The regional-indicator letters T and W: one flag glyph, 8 bytes in UTF-8.
const QString kFlag = QString::fromUtf8("\xF0\x9F\x87\xB9\xF0\x9F\x87\xBC");

}  // namespace

QImage PainterGlyphProbe::drawFlag() {
  QFont font = QGuiApplication::font();
  font.setPointSizeF(8.0);
  const QSizeF measured = QFontMetricsF(font).size(Qt::TextSingleLine, kFlag);
  const QSize size(static_cast<int>(std::ceil(measured.width())), static_cast<int>(std::ceil(measured.height())));
  if (size.isEmpty()) return {};
  QImage image(size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  if (!painter.isActive()) return {};
  painter.setFont(font);
  painter.drawText(QRectF(QPointF(0, 0), measured), Qt::AlignLeft | Qt::AlignTop, kFlag);
  painter.end();
  return image;
}

QImage PainterGlyphProbe::roundTripPng(const QImage& image) {
  if (image.isNull()) return {};
  QByteArray png;
  QBuffer buffer(&png);
  if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG") || png.isEmpty()) return {};
  return QImage::fromData(png, "PNG");
}

bool PainterGlyphProbe::everyPixelGrey(const QByteArray& pixels) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(pixels.constData());
  // A trailing part of a pixel is not a pixel: only whole 4-byte steps are compared.
  for (qsizetype at = 0; at + 3 < pixels.size(); at += 4) {
    if (bytes[at] != bytes[at + 1] || bytes[at + 1] != bytes[at + 2]) return false;
  }
  return true;
}

bool PainterGlyphProbe::flagRendersGrey() {
  const QImage decoded = roundTripPng(drawFlag());
  if (decoded.isNull()) return false;
  // Four bytes a pixel, colour channels first, rows without padding.
  const QImage pixels = decoded.convertToFormat(QImage::Format_RGBA8888);
  if (pixels.isNull()) return false;
  QByteArray bytes;
  bytes.reserve(pixels.width() * pixels.height() * 4);
  for (int y = 0; y < pixels.height(); ++y) {
    bytes.append(reinterpret_cast<const char*>(pixels.constScanLine(y)), pixels.width() * 4);
  }
  return everyPixelGrey(bytes);
}

}  // namespace corvane::ui
