#pragma once
// Everything a corvanectl command needs to run the screen models for real: the stores under
// the user's folders, the keychain, the HTTP loader and API client, the echo engine, and an
// Asio main loop that the command runs until its flow is over (never longer than its limit).
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "api/api_client.h"
#include "screenkit/services.h"
#include "platform/mainloop/asio/asio_main_loop.h"
#include "platform/opener/url_opener.h"
#include "tracking_url_loader.h"

namespace corvane::cli {

class ClientSession {
 public:
  struct Options {
    bool withLatency = false;  // start the echo engine for the picker's latency column
  };

  // Throws std::runtime_error with a readable message when a store cannot be opened.
  explicit ClientSession(Options options);
  ~ClientSession();

  screenkit::Services services();
  platform::AsioMainLoop& loop() { return loop_; }
  keys::Preferences& preferences() { return *preferences_; }
  // The session's URL loader (the one the API client uses).
  platform::UrlLoader& urlLoader();

  // Runs the main loop until `done()` holds or `limit` passes. Returns whether it held.
  bool runUntil(const std::function<bool()>& done, std::chrono::milliseconds limit);
  // Runs until every request the session sent has answered (bounded by `limit`).
  bool drainRequests(std::chrono::milliseconds limit);

  // URLs the models asked to open where no desktop exists (printed by the commands).
  std::vector<std::string> recordedUrls() const;

  struct Parts;

 private:
  platform::AsioMainLoop loop_;
  std::unique_ptr<Parts> parts_;
  keys::Preferences* preferences_ = nullptr;
};

// The limit a command's flow gets: long enough for the 60 s POST time-out to end a hanging
// request first, so the user sees the real failure.
inline constexpr std::chrono::milliseconds kFlowLimit{65'000};

}  // namespace corvane::cli
