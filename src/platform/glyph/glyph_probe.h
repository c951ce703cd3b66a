#pragma once
// The flag-glyph test: draws the flag of two regional-indicator letters (U+1F1F9 U+1F1FC) at
// 8 points and says whether every pixel came out grey (red, green and blue equal), that is,
// whether the system draws flags without colour. Any stage that yields no image gives false.
// The window draws with QPainter; where nothing can be drawn, NoDisplayGlyphProbe answers.
namespace corvane::platform {

class GlyphProbe {
 public:
  virtual ~GlyphProbe() = default;
  virtual bool flagRendersGrey() = 0;
};

// No display, so no image: the test's answer for a missing image is false.
class NoDisplayGlyphProbe final : public GlyphProbe {
 public:
  bool flagRendersGrey() override { return false; }
};

}  // namespace corvane::platform
