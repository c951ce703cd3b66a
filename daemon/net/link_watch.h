#pragma once
// The kernel's announcements of link changes (rtnetlink's link group), read without blocking.
// When an engine's program dies, the kernel takes its interface down and deletes it while
// the program is still being torn down; watching the link tells the daemon of the loss that
// much sooner than the program's exit does.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/core/result.h"

namespace corvane::daemon::net {

class LinkWatch {
 public:
  // Subscribes to link changes in the caller's network namespace.
  static Result<LinkWatch> open();
  LinkWatch(LinkWatch&& other) noexcept;
  LinkWatch& operator=(LinkWatch&& other) noexcept;
  LinkWatch(const LinkWatch&) = delete;
  LinkWatch& operator=(const LinkWatch&) = delete;
  ~LinkWatch();

  // Readable when announcements are pending.
  int fd() const { return fd_; }
  // Reads every pending announcement; true when one says `name` was deleted or is no longer up.
  // Announcements lost to an overrun queue are not guessed at: the caller's other watches
  // (the program's exit) still see a real loss.
  bool drainLost(const std::string& name) { return drainLost(std::vector<std::string>{name}, false).has_value(); }
  // The same for several links: the first of `names` an announcement says was deleted or taken
  // down, or, with `carrierCounts`, no longer running (cable out, radio gone, veth peer down).
  std::optional<std::string> drainLost(const std::vector<std::string>& names, bool carrierCounts);

  // The link the kernel would send a packet to `address` out of, for a socket marking its
  // packets with `mark` (0: none), policy rules included. An error when no route leads there
  // (a link taken down takes its routes with it).
  static Result<std::string> linkToward(const std::string& address, std::uint32_t mark);
  // Whether the link is up and running (has its carrier).
  static bool linkRunning(const std::string& name);

 private:
  explicit LinkWatch(int fd) : fd_(fd) {}
  int fd_ = -1;
};

}  // namespace corvane::daemon::net
