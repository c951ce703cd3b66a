#include "servers/vpn_protocol.h"

#include <algorithm>
#include <cctype>

namespace corvane::servers {

namespace {

constexpr ProtocolInfo kProtocols[] = {
    {VpnProtocol::wireGuard, "WireGuard", "WireGuard", "WireGuard", "wireguard", 1, {5, 0}},
    {VpnProtocol::openVpn, "OpenVPN", "Open VPN", "OpenVPN", "openvpn", 2, {1, 6}},
    {VpnProtocol::shadowsocks, "Shadowshocks", "Shadowshocks", "Shadowshocks", "shadowsocks", 3,
     {4, 0}},
    {VpnProtocol::v2ray, "V2ray", "V2ray", "V2ray", "v2ray", 4, {7, 0}},
};

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
           return std::tolower(x) == std::tolower(y);
         });
}

}  // namespace

std::span<const ProtocolInfo> protocolTable() { return kProtocols; }

const ProtocolInfo& protocolInfo(VpnProtocol protocol) {
  return kProtocols[static_cast<std::size_t>(protocol)];
}

std::optional<VpnProtocol> protocolForCode(std::int64_t code) {
  for (const ProtocolInfo& info : kProtocols) {
    if (info.code == code) return info.protocol;
  }
  return std::nullopt;
}

bool protocolMatchesType(VpnProtocol protocol, std::optional<std::int64_t> type) {
  if (!type) return false;
  const auto& types = protocolInfo(protocol).types;
  // 0 only pads the array; no server type 0 carries any protocol.
  return *type != 0 && std::find(types.begin(), types.end(), *type) != types.end();
}

std::optional<VpnProtocol> protocolFromName(std::string_view name) {
  for (const ProtocolInfo& info : kProtocols) {
    if (equalsIgnoringAsciiCase(name, info.cliName) ||
        equalsIgnoringAsciiCase(name, info.buttonLabel) ||
        equalsIgnoringAsciiCase(name, info.headerText)) {
      return info.protocol;
    }
  }
  return std::nullopt;
}

}  // namespace corvane::servers
