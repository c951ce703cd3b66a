#pragma once
// The "v2ray" entry of the engine registry: v2ray with the service's own inbounds (a
// transparent dokodemo-door and a loopback SOCKS proxy) in front of the server's outbounds.
#include "daemon/engine/engine_factory.h"

namespace corvane::daemon::engines::v2ray {

class V2rayFactory final : public engine::EngineFactory {
 public:
  std::string_view name() const override { return "v2ray"; }
  // Checks the JSON and resolves every server the outbounds name; the outbounds are given
  // the addresses (v2ray's own lookups would otherwise be redirected into v2ray itself).
  engine::PreparedEngine prepare(std::string_view content, const engine::EngineContext& context) const override;
  void removeLeftovers(const engine::EngineContext& context) const override;
};

}  // namespace corvane::daemon::engines::v2ray
