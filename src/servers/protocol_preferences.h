#pragma once
// The protocol flags as stored: one Bool key per protocol, through the typed accessors.
#include "app/preferences.h"
#include "servers/protocol_selection.h"

namespace corvane::servers {

inline bool storedFlag(const app::Preferences& prefs, VpnProtocol protocol) {
  switch (protocol) {
    case VpnProtocol::wireGuard: return prefs.wireGuard();
    case VpnProtocol::openVpn: return prefs.openVPN();
    case VpnProtocol::shadowsocks: return prefs.shadowshocks();
    case VpnProtocol::v2ray: return prefs.v2ray();
  }
  return false;
}

inline void storeFlag(app::Preferences& prefs, VpnProtocol protocol, bool value) {
  switch (protocol) {
    case VpnProtocol::wireGuard: prefs.setWireGuard(value); break;
    case VpnProtocol::openVpn: prefs.setOpenVPN(value); break;
    case VpnProtocol::shadowsocks: prefs.setShadowshocks(value); break;
    case VpnProtocol::v2ray: prefs.setV2ray(value); break;
  }
}

// Writes the four keys from `flags`.
inline void storeSelection(app::Preferences& prefs, const ProtocolSelection& flags) {
  for (const ProtocolInfo& info : protocolTable()) {
    storeFlag(prefs, info.protocol, flags.flag(info.protocol));
  }
}

// Reads the four keys into `flags`, in the order "Shadowshocks", "V2ray", "OpenVPN",
// "WireGuard" (absent reads false).
inline void loadSelection(const app::Preferences& prefs, ProtocolSelection& flags) {
  for (VpnProtocol protocol : {VpnProtocol::shadowsocks, VpnProtocol::v2ray, VpnProtocol::openVpn,
                               VpnProtocol::wireGuard}) {
    flags.flag(protocol) = storedFlag(prefs, protocol);
  }
}

}  // namespace corvane::servers
