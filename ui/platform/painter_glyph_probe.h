#pragma once
// The flag-glyph test drawn with QPainter: the flag of U+1F1F9 U+1F1FC in the application's
// font at 8 points, on a transparent image of exactly the text's size, encoded as PNG and
// decoded again, then read pixel by pixel. It answers true when every pixel is grey (red,
// green and blue equal), that is, when this system draws flags without colour. Needs the
// QGuiApplication; any stage that yields no image answers false.
#include <QByteArray>
#include <QImage>

#include "platform/glyph/glyph_probe.h"

namespace corvane::ui {

class PainterGlyphProbe final : public platform::GlyphProbe {
 public:
  bool flagRendersGrey() override;

  // The stages, apart, for the tests: the drawn image (null when the text has no size), its
  // PNG round trip (null on any failure), and the pixel rule over 4-byte pixels (an empty
  // buffer counts as grey).
  static QImage drawFlag();
  static QImage roundTripPng(const QImage& image);
  static bool everyPixelGrey(const QByteArray& pixels);
};

}  // namespace corvane::ui
