#pragma once
// The tunnel service's socket contract, shared by corvane-tunneld, the app and corvanectl.
//
// Transport: a Unix stream socket (kDefaultSocketPath, mode 0660, group corvane; the
// environment variable kSocketEnvironment moves it). Each side writes one UTF-8 JSON object
// per line (NDJSON), at most kMaxLineBytes including the newline. The daemon checks the caller
// with SO_PEERCRED: root and members of group corvane (supplementary groups count) are served;
// anyone else gets one {"ok":false,"error":{"code":"forbidden",...}} line and is closed.
//
// Request:  {"id":<int>,"op":"<op>",...}                      (Request, op.h for the ops)
// Answer:   {"id":<same>,"ok":true,...payload}                 (Answer)
//           {"id":<same>,"ok":false,"error":{"code","message","blocking"}}
// Events after "subscribe", on the same connection:
//           {"event":"status",...TunnelStatus fields} on every change of the slot, a new
//           lastError included (a reconnect that failed while reasserting is told once per
//           distinct error, not at every retry that repeats it)
//           {"event":"traffic","rxBytes","txBytes","uplink","downlink"} once a second while a
//           tunnel runs
// LineCodec reads and writes all of these; nothing else should build or parse the lines.
//
// Changes after the first release are additive: new optional fields, new ops, new error
// tokens. Readers ignore fields they do not know.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/vpn/tunneld/answer.h"
#include "platform/vpn/tunneld/error_code.h"
#include "platform/vpn/tunneld/error_info.h"
#include "platform/vpn/tunneld/event.h"
#include "platform/vpn/tunneld/manager.h"
#include "platform/vpn/tunneld/on_demand_rule.h"
#include "platform/vpn/tunneld/op.h"
#include "platform/vpn/tunneld/profile.h"
#include "platform/vpn/tunneld/request.h"
#include "platform/vpn/tunneld/traffic.h"
#include "platform/vpn/tunneld/tunnel_status.h"

namespace corvane::platform::tunneld {

inline constexpr std::int64_t kProtocolVersion = 1;
inline constexpr std::string_view kDaemonVersion = "0.1.0";

// A longer line gets a tooLarge answer and the connection is closed: the daemon cannot know
// where the next request would start.
inline constexpr std::size_t kMaxLineBytes = 1024 * 1024;

inline constexpr std::string_view kDefaultSocketPath = "/run/corvane/tunneld.sock";
inline constexpr std::string_view kSocketEnvironment = "CORVANE_TUNNELD_SOCKET";
inline constexpr std::string_view kSocketGroup = "corvane";

// Status values of TunnelStatus::status (the platform's VPN connection status).
inline constexpr std::int64_t kStatusInvalid = 0;
inline constexpr std::int64_t kStatusDisconnected = 1;
inline constexpr std::int64_t kStatusConnecting = 2;
inline constexpr std::int64_t kStatusConnected = 3;
inline constexpr std::int64_t kStatusReasserting = 4;
inline constexpr std::int64_t kStatusDisconnecting = 5;

// Engine names of Profile::engine.
inline constexpr std::string_view kEngineWireGuard = "wireguard";
inline constexpr std::string_view kEngineOpenVpn = "openvpn";
inline constexpr std::string_view kEngineShadowsocks = "shadowsocks";
inline constexpr std::string_view kEngineV2ray = "v2ray";

// TunnelStatus::startedBy.
inline constexpr std::string_view kStartedByManager = "manager";
inline constexpr std::string_view kStartedByProfile = "profile";

// The providerConfiguration key of a manager's OpenVPN text.
inline constexpr std::string_view kOvpnConfigurationKey = "ovpn";

}  // namespace corvane::platform::tunneld
