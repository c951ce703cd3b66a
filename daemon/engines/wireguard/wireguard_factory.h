#pragma once
// The "wireguard" entry of the engine registry.
#include "daemon/engine/engine_factory.h"
#include "platform/log/log.h"

namespace corvane::daemon::engines::wireguard {

class WireGuardFactory final : public engine::EngineFactory {
 public:
  explicit WireGuardFactory(platform::Log log = platform::Log::null()) : log_(std::move(log)) {}

  std::string_view name() const override { return "wireguard"; }
  // Parses the text and resolves each peer's Endpoint (a host name is looked up here, while
  // the network is still open, so the kill switch can name the server's address).
  engine::PreparedEngine prepare(std::string_view content, const engine::EngineContext& context) const override;
  void removeLeftovers(const engine::EngineContext& context) const override;

 private:
  platform::Log log_;
};

}  // namespace corvane::daemon::engines::wireguard
