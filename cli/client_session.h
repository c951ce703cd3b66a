#pragma once
// What is CLI-only around the composition root: an Asio main loop that a command runs until
// its flow is over (never longer than its limit), a log that keeps stderr for errors, and
// the URLs the models asked to open where no desktop exists.
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "app/composition_root.h"
#include "platform/mainloop/asio/asio_main_loop.h"

namespace corvane::cli {

class ClientSession {
 public:
  struct Options {
    bool withLatency = false;  // start the echo engine for the picker's latency column
    bool withTunnel = false;   // build the tunnel side and the tunnel core (TunnelSession)
  };

  // Throws std::runtime_error with a readable message when a store cannot be opened.
  explicit ClientSession(Options options);

  screenkit::Services services() { return root_.services(); }
  platform::AsioMainLoop& loop() { return loop_; }
  keys::Preferences& preferences() { return root_.preferences(); }
  // The session's URL loader (the one the API client uses).
  platform::UrlLoader& urlLoader() { return root_.urlLoader(); }
  app::CompositionRoot& root() { return root_; }

  // Runs the main loop until `done()` holds or `limit` passes. Returns whether it held.
  bool runUntil(const std::function<bool()>& done, std::chrono::milliseconds limit);
  // Runs until every request the session sent has answered (bounded by `limit`).
  bool drainRequests(std::chrono::milliseconds limit);

  // URLs the models asked to open where no desktop exists (printed by the commands).
  std::vector<std::string> recordedUrls();

 private:
  platform::AsioMainLoop loop_;
  app::CompositionRoot root_;
};

// The limit a command's flow gets: long enough for the 60 s POST time-out to end a hanging
// request first, so the user sees the real failure.
inline constexpr std::chrono::milliseconds kFlowLimit{65'000};

}  // namespace corvane::cli
