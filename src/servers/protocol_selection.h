#pragma once
// The four protocol flags. The dashboard owns them and the picker changes them through a
// reference, so the dashboard sees a choice at once. After any picker action at most one
// is true; none true means no protocol is chosen (every server passes the filter).
#include <optional>

#include "servers/vpn_protocol.h"

namespace corvane::servers {

struct ProtocolSelection {
  bool openVPNSelected = false;
  bool WireGuardSelected = false;  // NOLINT(readability-identifier-naming): the system's name
  bool ssSelected = false;
  bool v2raySelecetd = false;

  bool& flag(VpnProtocol protocol) {
    switch (protocol) {
      case VpnProtocol::wireGuard: return WireGuardSelected;
      case VpnProtocol::openVpn: return openVPNSelected;
      case VpnProtocol::shadowsocks: return ssSelected;
      case VpnProtocol::v2ray: return v2raySelecetd;
    }
    return WireGuardSelected;
  }
  bool flag(VpnProtocol protocol) const { return const_cast<ProtocolSelection*>(this)->flag(protocol); }

  void select(VpnProtocol protocol) {
    openVPNSelected = WireGuardSelected = ssSelected = v2raySelecetd = false;
    flag(protocol) = true;
  }

  // The first true flag in the order WireGuard, OpenVPN, Shadowsocks, V2ray.
  std::optional<VpnProtocol> chosen() const {
    for (const ProtocolInfo& info : protocolTable()) {
      if (flag(info.protocol)) return info.protocol;
    }
    return std::nullopt;
  }
};

}  // namespace corvane::servers
