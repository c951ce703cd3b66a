#pragma once
// A WireGuard tunnel on a fresh interface, run by the kernel's WireGuard where the kernel has
// it and by wireguard-go otherwise (see WireGuardDevice). The engine hands the device the keys
// and peers and sets addresses, routes and policy rules through netlink, the same for both.
// Up means a handshake completed; counters come from the device.
#include <memory>
#include <optional>
#include <string_view>

#include "daemon/engine/engine.h"
#include "daemon/engine/engine_context.h"
#include "daemon/engines/server_link_watch.h"
#include "daemon/engines/wireguard/wireguard_config.h"
#include "daemon/engines/wireguard/wireguard_device.h"
#include "daemon/engines/wireguard/wireguard_routing.h"
#include "daemon/net/link_watch.h"
#include "daemon/net/netlink.h"
#include "platform/log/log.h"
#include "platform/mainloop/main_loop.h"

namespace corvane::daemon::engines::wireguard {

// Which WireGuard runs a tunnel. `automatic` takes the kernel's when it can be had and falls
// back to wireguard-go; the other two are forced (CORVANE_WIREGUARD=kernel|userspace), and a
// forced one that cannot be had fails the start.
enum class DeviceChoice { automatic, kernel, userspace };

// CORVANE_WIREGUARD's value: empty is `automatic`; anything but the three words is nothing.
std::optional<DeviceChoice> deviceChoiceFrom(std::string_view text);

class WireGuardEngine final : public engine::Engine {
 public:
  WireGuardEngine(WireGuardConfig config, engine::EngineContext context, engine::TunnelNetwork network,
                  DeviceChoice choice = DeviceChoice::automatic, platform::Log log = platform::Log::null());
  ~WireGuardEngine() override;

  const engine::TunnelNetwork& network() const override { return network_; }
  std::optional<engine::EngineError> start(StateCallback onState) override;
  engine::EngineState state() const override { return state_; }
  engine::TrafficCounters counters() override;
  void stop(StopCallback done) override;

 private:
  std::optional<engine::EngineError> makeDevice();
  void configure();
  void pollHandshake();
  void watchLink();
  void fail(std::string message);
  void report(engine::EngineState state, std::optional<engine::EngineError> error = std::nullopt);
  void tearDown();
  void cancelTimer();

  WireGuardConfig config_;
  engine::EngineContext context_;
  engine::TunnelNetwork network_;
  DeviceChoice choice_;
  platform::Log log_;
  net::Netlink netlink_;
  WireGuardRouting routing_;
  std::unique_ptr<WireGuardDevice> device_;
  ServerLinkWatch serverLink_;
  StateCallback onState_;
  engine::EngineState state_ = engine::EngineState::starting;
  platform::TimerId timer_ = 0;
  std::optional<net::LinkWatch> linkWatch_;
  platform::WatchId linkWatchId_ = 0;
  platform::TimePoint startedAt_{};
  std::int64_t lastHandshake_ = 0;
  bool stopping_ = false;
};

}  // namespace corvane::daemon::engines::wireguard
