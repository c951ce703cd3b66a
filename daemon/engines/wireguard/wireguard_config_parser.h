#pragma once
// Reads the wg-quick style text the backend issues. Only the keys the client needs are
// accepted: [Interface] PrivateKey, Address, DNS, MTU; [Peer] PublicKey, PresharedKey,
// AllowedIPs, Endpoint, PersistentKeepalive. Everything else is refused, the hooks
// (PreUp/PostUp/PreDown/PostDown run shell as root) and SaveConfig (writes a file) above all.
// Errors name the line and quote it, except the value of a key line, which stays masked.
#include <cstddef>
#include <string>
#include <string_view>
#include <variant>

#include "daemon/engines/wireguard/wireguard_config.h"

namespace corvane::daemon::engines::wireguard {

// A configuration is a few hundred bytes; anything near this is not one.
inline constexpr std::size_t kMaxConfigBytes = 64 * 1024;
inline constexpr std::size_t kMaxPeers = 64;

// The parsed configuration, or the reason it was refused.
using ConfigParse = std::variant<WireGuardConfig, std::string>;

ConfigParse parseWireGuardConfig(std::string_view text);

}  // namespace corvane::daemon::engines::wireguard
