#pragma once
// What every state of the slot works with: the engine of the current run, the firewall, DNS,
// the store, the back-off and the probe. States call these helpers; the helpers never choose
// a state.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "daemon/dns/dns_configurator.h"
#include "daemon/engine/engine.h"
#include "daemon/engine/engine_registry.h"
#include "daemon/firewall/firewall.h"
#include "daemon/probe/captive_probe.h"
#include "daemon/slot/slot_settings.h"
#include "daemon/state/state_store.h"
#include "platform/log/log.h"
#include "platform/mainloop/main_loop.h"
#include "platform/vpn/tunneld/contract.h"

namespace corvane::daemon::slot {

class SlotContext {
 public:
  struct Services {
    platform::MainLoop& loop;
    const engine::EngineRegistry& registry;
    state::StateStore& store;
    firewall::Firewall& firewall;
    dns::DnsConfigurator& dns;
    probe::CaptiveProbe& probe;
    platform::Log log;
  };
  // How events get back into the state machine (set by TunnelSlot).
  struct Events {
    std::function<void(engine::EngineState, std::optional<engine::EngineError>)> engine;
    std::function<void()> retry;
    std::function<void(bool)> probe;
    std::function<void(const platform::tunneld::Traffic&)> traffic;
    // The entered state's fields are settled: tell the status now, before the slow rest.
    std::function<void()> settled;
  };

  SlotContext(Services services, SlotSettings settings);
  ~SlotContext();

  platform::MainLoop& loop() { return services_.loop; }
  const platform::Log& log() const { return services_.log; }
  state::StateStore& store() { return services_.store; }
  void setEvents(Events events) { events_ = std::move(events); }

  // The run the slot is serving; empty while disconnected.
  std::optional<state::RunRecord> run;
  std::optional<platform::tunneld::ErrorInfo> lastError;

  // Checks the run's configuration and makes its engine (not started). An earlier engine is
  // stopped first.
  std::optional<engine::EngineError> prepareEngine();
  // (the current engine keeps running when the new configuration is refused)
  std::optional<engine::EngineError> startEngine();
  // Takes the engine out of the run at once (its callbacks are stale from now on, network()
  // is empty); its program and data path go with the next stopEngine.
  void detachEngine();
  // Detaches the engine, then stops every detached one.
  void stopEngine();
  bool hasEngine() const { return engine_ != nullptr; }
  const engine::TunnelNetwork* network() const;
  engine::TrafficCounters counters();

  // The owner's kill switch: a saved manager of the run's uid with on-demand on.
  bool killSwitchOn();
  std::optional<std::string> probeUrl();

  // The table: block (kill switch), guard (tunnel up, nothing around it), or none.
  void blockTraffic();
  void guardTraffic();
  void openTraffic();
  bool blocking() const { return blocking_; }

  void applyDns();
  void restoreDns();

  void scheduleRetry();
  void cancelRetry();
  void resetBackoff() { backoffStep_ = 0; }
  void startProbe(const std::string& url);

  void startTraffic();
  void stopTraffic();

  void recordError(const engine::EngineError& error);
  void forgetRun();
  // Tells the entered state's status now: its fields are what they will stay, and what is
  // left to do (stopping a program, DNS, the store) would only delay the news.
  void statusSettled();

 private:
  engine::EngineContext engineContext(const std::filesystem::path& folder) const;

  Services services_;
  SlotSettings settings_;
  Events events_;
  std::unique_ptr<engine::Engine> engine_;
  struct Detached {
    std::unique_ptr<engine::Engine> engine;
    std::filesystem::path folder;
  };
  std::vector<Detached> detached_;
  // Stopped engines, kept until the next stop: the last one may be the caller's caller.
  std::vector<std::unique_ptr<engine::Engine>> retired_;
  std::uint64_t generation_ = 0;
  std::uint64_t runCount_ = 0;
  std::filesystem::path engineFolder_;
  bool blocking_ = false;
  bool dnsApplied_ = false;
  int backoffStep_ = 0;
  platform::TimerId retryTimer_ = 0;
  platform::TimerId trafficTimer_ = 0;
  engine::TrafficCounters lastCounters_;
};

}  // namespace corvane::daemon::slot
