// The flag-glyph test drawn with QPainter, and the window's launch, which runs it on the
// phone idiom only.
#include <gtest/gtest.h>

#include <filesystem>

#include "ui/app/window_launch.h"
#include "ui/app/window_services.h"
#include "ui/loop/qt_main_loop.h"
#include "ui/platform/painter_glyph_probe.h"
#include "ui/support/screen_host.h"
#include "ui/support/window_tunnel.h"

namespace corvane::ui {
namespace {

TEST(PainterGlyphProbe, PixelRuleOverFourBytePixels) {
  const struct {
    QByteArray pixels;
    bool grey;
  } rows[] = {
      {QByteArray(), true},
      {QByteArray("\x00\x00\x00\x00\x80\x80\x80\xff", 8), true},
      {QByteArray("\x80\x80\x80\xff\x80\x81\x80\xff", 8), false},
      {QByteArray("\x10\x10\x10\x00\x11\x22", 6), true},  // a cut-off pixel is not compared
      {QByteArray("\x10\x10\x10\x33", 4), true},          // the fourth byte (alpha) is not a colour
  };
  for (const auto& row : rows) {
    EXPECT_EQ(PainterGlyphProbe::everyPixelGrey(row.pixels), row.grey) << row.pixels.toHex().toStdString();
  }
}

TEST(PainterGlyphProbe, DrawsTheFlagAndItsPngRoundTripKeepsColour) {
  const QImage flag = PainterGlyphProbe::drawFlag();
  ASSERT_FALSE(flag.isNull());
  EXPECT_GT(flag.width(), 0);
  EXPECT_EQ(PainterGlyphProbe::roundTripPng(flag).size(), flag.size());
  EXPECT_TRUE(PainterGlyphProbe::roundTripPng(QImage()).isNull());

  QImage red(3, 2, QImage::Format_ARGB32);
  red.fill(QColor(200, 10, 10));
  const QImage back = PainterGlyphProbe::roundTripPng(red);
  ASSERT_EQ(back.size(), red.size());
  EXPECT_EQ(back.pixelColor(2, 1), QColor(200, 10, 10));
}

struct CountingProbe final : platform::GlyphProbe {
  explicit CountingProbe(int& calls) : calls(calls) {}
  bool flagRendersGrey() override {
    ++calls;
    return inner.flagRendersGrey();
  }
  int& calls;
  PainterGlyphProbe inner;
};

TEST(WindowLaunch, TheIdiomDecidesWhetherTheFlagIsDrawn) {
  const auto home = std::filesystem::temp_directory_path() / ("corvane-launch-" + std::to_string(::getpid()));
  setenv("CORVANE_HOME", home.c_str(), 1);
  setenv("CORVANE_API_HOST", "127.0.0.1:9", 1);
  setenv("CORVANE_PROBE_URL", "http://127.0.0.1:9/hotspot-detect.html", 1);
  {
    QtMainLoop loop;
    WindowServices window(loop, std::make_unique<platform::RecordingUrlOpener>(), "en_US", test::useFakeTunnel);
    tunnelcore::TunnelCore& core = *window.root().tunnelCore();
    for (const auto idiom : {platform::UserInterfaceIdiom::desktop, platform::UserInterfaceIdiom::phone}) {
      int calls = 0;
      WindowLaunch launch(core, platform::Log::null(), idiom, std::make_unique<CountingProbe>(calls));
      ASSERT_TRUE(test::spinUntil([&] { return launch.delegate().startupFinished(); }));
      EXPECT_EQ(calls, idiom == platform::UserInterfaceIdiom::phone ? 1 : 0);
      EXPECT_NE(launch.delegate().profileServer(), nullptr);
      if (idiom == platform::UserInterfaceIdiom::desktop) {
        EXPECT_FALSE(*core.sharedPreferences.networkPermissionRequested());
      }
    }
  }
  std::filesystem::remove_all(home);
}

}  // namespace
}  // namespace corvane::ui
