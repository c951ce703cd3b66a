#pragma once
// The one tunnel slot as every client sees it, whichever way the tunnel was started.
#include <cstdint>
#include <optional>
#include <string>

#include "platform/vpn/tunneld/error_info.h"

namespace corvane::platform::tunneld {

struct TunnelStatus {
  struct Proxy {
    std::string host = "127.0.0.1";
    std::uint16_t port = 0;
    friend bool operator==(const Proxy&, const Proxy&) = default;
  };

  // 0 invalid, 1 disconnected, 2 connecting, 3 connected, 4 reasserting, 5 disconnecting.
  std::int64_t status = 1;
  std::string engine;     // empty while nothing runs
  std::string startedBy;  // "manager" or "profile"; empty while nothing runs
  std::string managerId;
  std::optional<std::int64_t> ownerUid;
  std::string tunnelAddress;
  std::string interfaceName;  // JSON "interface"
  std::int64_t since = 0;     // unix seconds of the last status change
  std::uint64_t rxBytes = 0;
  std::uint64_t txBytes = 0;
  std::optional<Proxy> proxy;
  bool killSwitch = false;  // the blocking table is in place right now
  std::optional<ErrorInfo> lastError;

  friend bool operator==(const TunnelStatus&, const TunnelStatus&) = default;
};

}  // namespace corvane::platform::tunneld
