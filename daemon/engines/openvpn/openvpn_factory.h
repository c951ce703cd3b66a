#pragma once
// The "openvpn" entry of the engine registry (also what a saved manager's "ovpn" runs).
#include "daemon/engine/engine_factory.h"

namespace corvane::daemon::engines::openvpn {

class OpenVpnFactory final : public engine::EngineFactory {
 public:
  std::string_view name() const override { return "openvpn"; }
  // Checks the profile against the allowlist and resolves every 'remote', so the kill switch
  // can name the servers' addresses before openvpn runs.
  engine::PreparedEngine prepare(std::string_view content, const engine::EngineContext& context) const override;
  // Kills an openvpn left running by a crashed daemon; its interface carries the daemon's
  // prefix and goes with the daemon's own cleanup.
  void removeLeftovers(const engine::EngineContext& context) const override;
};

}  // namespace corvane::daemon::engines::openvpn
