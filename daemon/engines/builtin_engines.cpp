#include "daemon/engines/builtin_engines.h"

#include <memory>

#include "daemon/engines/openvpn/openvpn_factory.h"
#include "daemon/engines/shadowsocks/shadowsocks_factory.h"
#include "daemon/engines/v2ray/v2ray_factory.h"
#include "daemon/engines/wireguard/wireguard_factory.h"

namespace corvane::daemon::engines {

void addBuiltinEngines(engine::EngineRegistry& registry, platform::Log log) {
  registry.add(std::make_unique<wireguard::WireGuardFactory>(std::move(log)));
  registry.add(std::make_unique<openvpn::OpenVpnFactory>());
  registry.add(std::make_unique<shadowsocks::ShadowsocksFactory>());
  registry.add(std::make_unique<v2ray::V2rayFactory>());
}

}  // namespace corvane::daemon::engines
