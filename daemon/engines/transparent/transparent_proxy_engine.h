#pragma once
// An engine whose program is a transparent proxy on loopback (ss-redir, v2ray): the service
// writes the program's configuration, starts it, waits until it listens, then sends the
// host's TCP and UDP traffic to it with one nftables table and one policy rule. Up means the
// program listens and the table is in place; counters are the bytes of the program's own
// connections to its server, counted by that table.
#include <optional>

#include "daemon/engine/engine.h"
#include "daemon/engine/engine_context.h"
#include "daemon/engines/engine_program.h"
#include "daemon/engines/server_link_watch.h"
#include "daemon/engines/transparent/transparent_launch.h"
#include "daemon/engines/transparent/transparent_routing.h"
#include "daemon/engines/transparent/transparent_rules.h"
#include "daemon/net/netlink.h"
#include "platform/mainloop/main_loop.h"
#include "platform/process/process.h"

namespace corvane::daemon::engines::transparent {

class TransparentProxyEngine final : public engine::Engine {
 public:
  TransparentProxyEngine(TransparentLaunch launch, TransparentRules rules, engine::EngineContext context,
                         engine::TunnelNetwork network);
  ~TransparentProxyEngine() override;

  const engine::TunnelNetwork& network() const override { return network_; }
  std::optional<engine::EngineError> start(StateCallback onState) override;
  engine::EngineState state() const override { return state_; }
  engine::TrafficCounters counters() override;
  void stop(StopCallback done) override;

  // After a crash: the programs still running from the daemon's runtime folder, the table and
  // the policy rule, whichever engine made them.
  static void removeLeftovers(const engine::EngineContext& context);
  static void removeRules();

 private:
  std::optional<engine::EngineError> writeConfig();
  void waitForListener();
  void onProgramExit(const platform::ProcessExit& exit);
  void fail(std::string message);
  void report(engine::EngineState state, std::optional<engine::EngineError> error = std::nullopt);
  void tearDown();

  TransparentLaunch launch_;
  TransparentRules rules_;
  engine::EngineContext context_;
  engine::TunnelNetwork network_;
  net::Netlink netlink_;
  TransparentRouting routing_;
  EngineProgram program_;
  ServerLinkWatch serverLink_;
  StateCallback onState_;
  engine::EngineState state_ = engine::EngineState::starting;
  platform::TimerId timer_ = 0;
  platform::TimePoint startedAt_{};
  bool stopping_ = false;
};

}  // namespace corvane::daemon::engines::transparent
