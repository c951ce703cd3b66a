#pragma once
// The protocol flags as stored: one Bool key per protocol, through the typed accessors.
#include "keys/preferences.h"
#include "servers/protocol_selection.h"

namespace corvane::servers {

inline bool storedFlag(const keys::Preferences& prefs, VpnProtocol protocol) {
  switch (protocol) {
    case VpnProtocol::wireGuard: return prefs.get(keys::pref::wireGuard);
    case VpnProtocol::openVpn: return prefs.get(keys::pref::openVPN);
    case VpnProtocol::shadowsocks: return prefs.get(keys::pref::shadowshocks);
    case VpnProtocol::v2ray: return prefs.get(keys::pref::v2ray);
  }
  return false;
}

inline void storeFlag(keys::Preferences& prefs, VpnProtocol protocol, bool value) {
  switch (protocol) {
    case VpnProtocol::wireGuard: prefs.set(keys::pref::wireGuard, value); break;
    case VpnProtocol::openVpn: prefs.set(keys::pref::openVPN, value); break;
    case VpnProtocol::shadowsocks: prefs.set(keys::pref::shadowshocks, value); break;
    case VpnProtocol::v2ray: prefs.set(keys::pref::v2ray, value); break;
  }
}

// Writes the four keys from `flags`.
inline void storeSelection(keys::Preferences& prefs, const ProtocolSelection& flags) {
  for (const ProtocolInfo& info : protocolTable()) {
    storeFlag(prefs, info.protocol, flags.flag(info.protocol));
  }
}

// Reads the four keys into `flags`, in the order "Shadowshocks", "V2ray", "OpenVPN",
// "WireGuard" (absent reads false).
inline void loadSelection(const keys::Preferences& prefs, ProtocolSelection& flags) {
  for (VpnProtocol protocol : {VpnProtocol::shadowsocks, VpnProtocol::v2ray, VpnProtocol::openVpn,
                               VpnProtocol::wireGuard}) {
    flags.flag(protocol) = storedFlag(prefs, protocol);
  }
}

}  // namespace corvane::servers
