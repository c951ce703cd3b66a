#pragma once
// A blocking client of the tunnel service's socket for tests: requests with their answers,
// and events read with a deadline. Events that arrive while waiting for an answer are kept.
#include <chrono>
#include <deque>
#include <functional>
#include <optional>
#include <string>

#include "platform/vpn/tunneld/line_codec.h"

namespace corvane::daemon::testing {

class TunneldClient {
 public:
  using Clock = std::chrono::steady_clock;

  ~TunneldClient();
  // Connects, retrying until `timeout` (the daemon may still be starting).
  bool connect(const std::string& path, std::chrono::milliseconds timeout = std::chrono::seconds(10));
  int fd() const { return fd_; }

  bool sendLine(const std::string& line);
  // The next line, or nothing at the deadline or end of file.
  std::optional<std::string> readLine(std::chrono::milliseconds timeout);
  // Sends the request and returns its answer.
  std::optional<platform::tunneld::Answer> call(platform::tunneld::Request request,
                                                std::chrono::milliseconds timeout = std::chrono::seconds(20));
  // Waits for a status event matching `predicate`.
  std::optional<platform::tunneld::TunnelStatus> waitForStatus(
      const std::function<bool(const platform::tunneld::TunnelStatus&)>& predicate, std::chrono::milliseconds timeout);
  std::optional<platform::tunneld::TunnelStatus> waitForStatus(std::int64_t status, std::chrono::milliseconds timeout);
  std::optional<platform::tunneld::Traffic> waitForTraffic(
      const std::function<bool(const platform::tunneld::Traffic&)>& predicate, std::chrono::milliseconds timeout);
  // Every status value seen in events so far, in order.
  const std::vector<std::int64_t>& statusesSeen() const { return seen_; }

 private:
  std::optional<platform::tunneld::Event> nextEvent(Clock::time_point deadline);

  int fd_ = -1;
  std::string buffer_;
  std::int64_t nextId_ = 1;
  std::deque<platform::tunneld::Event> events_;
  std::vector<std::int64_t> seen_;
  platform::tunneld::LineCodec codec_;
};

}  // namespace corvane::daemon::testing
