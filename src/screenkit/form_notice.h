#pragma once
// The one-second form notice ("Password Does Not Match!", "Agree Privacy Policy"). Raising
// it shows it and starts a one-shot 1.0 s timer on the main loop; whichever timer fires
// first hides it. A second raise while it shows starts a second timer but does not restart
// the first, so two quick taps hide it one second after the first tap.
#include <functional>
#include <vector>

#include "platform/mainloop/main_loop.h"

namespace corvane::screenkit {

class FormNotice {
 public:
  static constexpr platform::Duration kShowFor = platform::seconds(1.0);

  // `onChanged` runs on the main loop each time a timer hides the notice.
  FormNotice(platform::MainLoop& loop, std::function<void()> onChanged);
  ~FormNotice();
  FormNotice(const FormNotice&) = delete;
  FormNotice& operator=(const FormNotice&) = delete;

  void raise();
  bool shown() const { return shown_; }

 private:
  void timerFired(platform::TimerId id);

  platform::MainLoop& loop_;
  std::function<void()> onChanged_;
  bool shown_ = false;
  std::vector<platform::TimerId> pending_;
};

}  // namespace corvane::screenkit
