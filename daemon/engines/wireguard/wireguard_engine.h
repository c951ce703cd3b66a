#pragma once
// A WireGuard tunnel run by wireguard-go on a fresh interface: the program makes the
// interface and the configuration socket, the engine hands it the keys and peers over that
// socket and sets addresses, routes and policy rules through netlink. Up means a handshake
// completed; counters come from the socket.
#include <memory>
#include <optional>

#include "daemon/engine/engine.h"
#include "daemon/engine/engine_context.h"
#include "daemon/engines/engine_program.h"
#include "daemon/engines/server_link_watch.h"
#include "daemon/engines/wireguard/uapi_client.h"
#include "daemon/engines/wireguard/wireguard_config.h"
#include "daemon/engines/wireguard/wireguard_routing.h"
#include "daemon/net/link_watch.h"
#include "daemon/net/netlink.h"
#include "platform/mainloop/main_loop.h"
#include "platform/process/process.h"

namespace corvane::daemon::engines::wireguard {

class WireGuardEngine final : public engine::Engine {
 public:
  WireGuardEngine(WireGuardConfig config, engine::EngineContext context, engine::TunnelNetwork network);
  ~WireGuardEngine() override;

  const engine::TunnelNetwork& network() const override { return network_; }
  std::optional<engine::EngineError> start(StateCallback onState) override;
  engine::EngineState state() const override { return state_; }
  engine::TrafficCounters counters() override;
  void stop(StopCallback done) override;

 private:
  void waitForSocket();
  void configure();
  void pollHandshake();
  void onProgramExit(const platform::ProcessExit& exit);
  void watchLink();
  void fail(std::string message);
  void report(engine::EngineState state, std::optional<engine::EngineError> error = std::nullopt);
  void tearDown();
  void cancelTimer();
  std::string uapiBody() const;

  WireGuardConfig config_;
  engine::EngineContext context_;
  engine::TunnelNetwork network_;
  net::Netlink netlink_;
  WireGuardRouting routing_;
  UapiClient uapi_;
  EngineProgram program_;
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
