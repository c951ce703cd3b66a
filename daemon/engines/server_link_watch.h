#pragma once
// The links an engine's way to its server leaves by (Wi-Fi, Ethernet, a veth), watched
// alike for every engine. When one goes down, loses its carrier or goes away, the tunnel is
// lost whatever its program believes: a proxy would keep listening and a UDP engine would
// wait minutes for a missed handshake, while the kill switch should block at once and the
// slot reconnect once a way is back.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "daemon/engine/server_endpoint.h"
#include "daemon/net/link_watch.h"
#include "platform/mainloop/main_loop.h"

namespace corvane::daemon::engines {

class ServerLinkWatch {
 public:
  using LostCallback = std::function<void(std::string why)>;

  explicit ServerLinkWatch(platform::MainLoop& loop) : loop_(loop) {}
  ~ServerLinkWatch() { stop(); }
  ServerLinkWatch(const ServerLinkWatch&) = delete;
  ServerLinkWatch& operator=(const ServerLinkWatch&) = delete;

  // Finds the links the kernel routes the endpoints by, for packets carrying `mark` (0: none),
  // and watches those that are up and running. When none of the endpoints has such a link the
  // answer is why (naming the server), and nothing is watched. Otherwise `onLost` runs on the
  // loop, once, when a watched link is lost. No endpoints: nothing to watch, no error.
  std::optional<std::string> start(const std::vector<engine::ServerEndpoint>& endpoints, std::uint32_t mark,
                                   LostCallback onLost);
  // Stops watching; `onLost` is not called any more. Safe from inside `onLost`.
  void stop();
  const std::vector<std::string>& links() const { return links_; }

 private:
  void onReadable();

  platform::MainLoop& loop_;
  std::optional<net::LinkWatch> watch_;
  platform::WatchId watchId_ = 0;
  std::vector<std::string> links_;
  LostCallback onLost_;
};

}  // namespace corvane::daemon::engines
