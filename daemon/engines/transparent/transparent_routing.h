#pragma once
// The policy routing under the transparent-proxy table: marked packets are looked up in a
// table whose one route is "local 0.0.0.0/0 dev lo". Made through netlink; remove() is safe
// to call when nothing is there (stop, and cleanup after a crash).
#include "daemon/net/netlink.h"
#include "platform/core/result.h"

namespace corvane::daemon::engines::transparent {

class TransparentRouting {
 public:
  explicit TransparentRouting(net::Netlink& netlink) : netlink_(netlink) {}

  Result<void> apply();
  void remove();

 private:
  net::Netlink& netlink_;
};

}  // namespace corvane::daemon::engines::transparent
