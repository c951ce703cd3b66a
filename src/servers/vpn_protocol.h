#pragma once
// The four tunnel protocols and everything the app attaches to each: the preference flag
// that records the choice, the button label, the header text, the code stored under
// "selectedTypeProtocol", and the IPBundle.type values of the servers that carry it.
// Note the Shadowsocks key and label are spelled "Shadowshocks": stored preferences and the
// backend's installed base use that spelling, so it stays.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace corvane::servers {

enum class VpnProtocol { wireGuard, openVpn, shadowsocks, v2ray };

struct ProtocolInfo {
  VpnProtocol protocol;
  std::string_view preferenceKey;  // Bool key in PreferenceStore
  std::string_view buttonLabel;    // picker button
  std::string_view headerText;     // picker header when this protocol is chosen
  std::string_view cliName;        // corvanectl spelling
  std::int64_t code;               // "selectedTypeProtocol"
  std::array<std::int64_t, 2> types;  // matching IPBundle.type values; 0 pads a single value
};

// In the order the picker tests the flags and shows its buttons: WireGuard, OpenVPN,
// Shadowsocks, V2ray.
std::span<const ProtocolInfo> protocolTable();

const ProtocolInfo& protocolInfo(VpnProtocol protocol);

// Code 1 to 4 → protocol; anything else → none.
std::optional<VpnProtocol> protocolForCode(std::int64_t code);

// True when a server of `type` carries `protocol`. A server without a type carries none.
bool protocolMatchesType(VpnProtocol protocol, std::optional<std::int64_t> type);

// Accepts the CLI names (wireguard, openvpn, shadowsocks, v2ray), the button labels and the
// header texts, ignoring ASCII case.
std::optional<VpnProtocol> protocolFromName(std::string_view name);

}  // namespace corvane::servers
