#pragma once
// The splash: the logo slides away and fades while the logo text fades in, over 2.0 s after
// a 1.0 s delay. The animation belongs to the drawing layer; the model holds its end state.
namespace corvane::app {

struct SplashScreen {
  bool isLogoHidden = false;

  static constexpr double kAnimationDelay = 1.0;     // seconds
  static constexpr double kAnimationDuration = 2.0;  // seconds, linear

  void appear() { isLogoHidden = true; }
  double logoOffset() const { return isLogoHidden ? -300.0 : 0.0; }
  double logoOpacity() const { return isLogoHidden ? 0.0 : 1.0; }
  double logoTextOpacity() const { return isLogoHidden ? 1.0 : 0.0; }
};

}  // namespace corvane::app
