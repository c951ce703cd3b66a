#pragma once
// The calls the daemon makes to systemd-resolved, over its D-Bus API on the system bus
// (org.freedesktop.resolve1.Manager). Talking to the bus directly, rather than running
// `resolvectl`, gives typed errors (a link resolved no longer knows is told apart from a
// refusal), one connection for the three calls a tunnel needs, and no program looked up in
// PATH by a root process. Each call waits at most five seconds.
#include <sys/socket.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/core/result.h"

struct sd_bus;

namespace corvane::daemon::dns {

class ResolvedBus {
 public:
  // A link's DNS server, as resolved takes it: an address family and its bytes.
  struct Server {
    int family = AF_INET;
    std::vector<unsigned char> address;
  };
  // A search domain, or with `routingOnly` a domain that only steers queries to the link
  // ("." with routingOnly is resolved's "~.": every query).
  struct Domain {
    std::string name;
    bool routingOnly = false;
  };

  // The system bus (DBUS_SYSTEM_BUS_ADDRESS, else /run/dbus/system_bus_socket).
  static Result<ResolvedBus> openSystem();
  // The bus at a D-Bus address ("unix:path=...").
  static Result<ResolvedBus> open(const std::string& address);

  // Whether resolved holds its name on the bus, so that calls reach it.
  bool running();

  Result<void> setLinkDns(int linkIndex, const std::vector<Server>& servers);
  Result<void> setLinkDomains(int linkIndex, const std::vector<Domain>& domains);
  Result<void> setLinkDefaultRoute(int linkIndex, bool enable);
  // Drops what was set on the link. A link resolved does not know (it went away, and resolved
  // forgot its settings with it) counts as reverted.
  Result<void> revertLink(int linkIndex);

 private:
  struct Close {
    void operator()(sd_bus* bus) const;
  };
  explicit ResolvedBus(sd_bus* bus) : bus_(bus) {}

  std::unique_ptr<sd_bus, Close> bus_;
};

}  // namespace corvane::daemon::dns
