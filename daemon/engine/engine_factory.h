#pragma once
// One protocol's entry in the EngineRegistry: it checks configuration text and makes engines.
#include <string_view>

#include "daemon/engine/engine_context.h"
#include "daemon/engine/prepared_engine.h"

namespace corvane::daemon::engine {

class EngineFactory {
 public:
  virtual ~EngineFactory() = default;

  // The protocol's name as clients send it in a profile: "wireguard", "openvpn",
  // "shadowsocks", "v2ray".
  virtual std::string_view name() const = 0;

  // Parses and checks `content`. Refuses anything that would run code, read or write a file
  // the engine did not choose, or listen off loopback, with a message that quotes the
  // offending line or key. Runs no program and changes nothing on the system.
  virtual PreparedEngine prepare(std::string_view content, const EngineContext& context) const = 0;

  // After a crash of the daemon: removes whatever an earlier run may have left that the daemon
  // does not remove itself (it deletes interfaces with its prefix, its own nftables tables,
  // policy rules and DNS). Must succeed quietly when nothing is left.
  virtual void removeLeftovers(const EngineContext& context) const = 0;
};

}  // namespace corvane::daemon::engine
