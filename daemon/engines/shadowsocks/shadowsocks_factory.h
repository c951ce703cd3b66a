#pragma once
// The "shadowsocks" entry of the engine registry: ss-redir as a transparent proxy.
#include "daemon/engine/engine_factory.h"

namespace corvane::daemon::engines::shadowsocks {

class ShadowsocksFactory final : public engine::EngineFactory {
 public:
  std::string_view name() const override { return "shadowsocks"; }
  // Checks the text and resolves the server here, while the network is still open; ss-redir
  // is then given the address, so its own lookups can never disagree with the rules that let
  // its traffic to the server pass.
  engine::PreparedEngine prepare(std::string_view content, const engine::EngineContext& context) const override;
  void removeLeftovers(const engine::EngineContext& context) const override;
};

}  // namespace corvane::daemon::engines::shadowsocks
