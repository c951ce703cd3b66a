#pragma once
// The reachability check before a kill-switched tunnel is brought back: a plain HTTP GET of
// the on-demand rule's probe URL, counted as reachable only on status 200 (a captive portal
// answers with a redirect or its own page). The request carries the probe mark so the kill
// switch's table lets it out, and runs on its own thread so the loop never waits on it; the
// answer comes back on the loop. One probe at a time; a new one replaces the callback of one
// still running.
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/mainloop/main_loop.h"

namespace corvane::daemon::probe {

class CaptiveProbe {
 public:
  using Callback = std::function<void(bool answered200)>;

  CaptiveProbe(platform::MainLoop& loop, std::uint32_t mark) : loop_(loop), mark_(mark) {}
  ~CaptiveProbe();
  CaptiveProbe(const CaptiveProbe&) = delete;
  CaptiveProbe& operator=(const CaptiveProbe&) = delete;

  void start(const std::string& url, Callback done);
  // The callback of a probe still running is dropped.
  void cancel();

 private:
  struct Shared {
    std::mutex mutex;
    std::uint64_t current = 0;
  };

  platform::MainLoop& loop_;
  std::uint32_t mark_;
  std::shared_ptr<Shared> shared_ = std::make_shared<Shared>();
  std::thread worker_;
};

}  // namespace corvane::daemon::probe
