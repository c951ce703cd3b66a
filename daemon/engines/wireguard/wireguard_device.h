#pragma once
// The part of a WireGuard tunnel that differs between the kernel's WireGuard and wireguard-go:
// making the interface, handing it keys and peers, reading handshakes and counters back, and
// removing it. Everything else (addresses, routes, policy rules, DNS, the kill switch, the
// link watches) is the engine's, the same for both.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "daemon/engine/engine_error.h"
#include "daemon/engine/server_endpoint.h"
#include "daemon/engines/wireguard/wireguard_config.h"
#include "platform/core/result.h"

namespace corvane::daemon::engines::wireguard {

struct DeviceState {
  std::uint64_t rxBytes = 0;
  std::uint64_t txBytes = 0;
  // Unix seconds of the newest completed handshake of any peer; 0 when none has completed.
  std::int64_t lastHandshake = 0;
};

// What a device is told: the configuration, each peer's resolved endpoint (same order as the
// peers) and the mark for its own packets.
struct DeviceSettings {
  const WireGuardConfig& config;
  const std::vector<engine::ServerEndpoint>& endpoints;
  std::uint32_t fwmark = 0;
};

class WireGuardDevice {
 public:
  using ReadyCallback = std::function<void()>;
  using LostCallback = std::function<void(std::string why)>;

  virtual ~WireGuardDevice() = default;

  // "kernel WireGuard" or "wireguard-go", for the log and error messages.
  virtual const char* kind() const = 0;
  // Makes the interface. `ready` runs on the loop once the device takes configuration (at
  // once for the kernel's, when wireguard-go's socket is there otherwise); `lost` when the
  // device goes away by itself. Neither runs after destroy().
  virtual std::optional<engine::EngineError> create(ReadyCallback ready, LostCallback lost) = 0;
  virtual Result<void> configure(const DeviceSettings& settings) = 0;
  virtual Result<DeviceState> read() = 0;
  // Removes the interface and whatever else the device made. Safe to repeat.
  virtual void destroy() = 0;
};

}  // namespace corvane::daemon::engines::wireguard
