#include "daemon/slot/slot_context.h"

#include <fmt/format.h>
#include <sys/stat.h>

#include <algorithm>

#include "daemon/net/routing_ids.h"

namespace corvane::daemon::slot {
namespace {

using namespace std::chrono_literals;
// Reconnect back-off of a kill-switched tunnel: 1 s doubling to 30 s.
constexpr int kBackoffSeconds[] = {1, 2, 4, 8, 16, 30};

}  // namespace

SlotContext::SlotContext(Services services, SlotSettings settings)
    : services_(std::move(services)), settings_(std::move(settings)) {}

SlotContext::~SlotContext() {
  cancelRetry();
  stopTraffic();
  services_.probe.cancel();
  if (engine_) engine_->stop({});
  for (auto& detached : detached_) detached.engine->stop({});
}

engine::EngineContext SlotContext::engineContext(const std::filesystem::path& folder) const {
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
  std::filesystem::create_directories(folder, ignored);
  chmod(folder.c_str(), 0700);
  return engine::EngineContext{services_.loop, folder, settings_.interfaceName, net::kTunnelMark, settings_.programDir, {}};
}

std::optional<engine::EngineError> SlotContext::prepareEngine() {
  if (!run) return engine::EngineError::failed("nothing to start");
  const auto* factory = services_.registry.find(run->engine);
  if (!factory) {
    return engine::EngineError{platform::tunneld::ErrorCode::unknownEngine, fmt::format("no engine named \"{}\"", run->engine)};
  }
  // A folder of its own per run, so a replacement never shares files with the engine it
  // replaces while that one still stops.
  auto folder = settings_.runtimeDir / fmt::format("{}-{}", run->engine, ++runCount_);
  auto context = engineContext(folder);
  // A manager's start brings the manager's account (a profile's start has none).
  if (!run->managerId.empty()) {
    auto password = services_.store.password(run->uid, run->managerId);
    auto manager = services_.store.find(run->uid, run->managerId);
    if (password && manager) context.credentials = engine::Credentials{manager->username, std::move(*password)};
  }
  auto prepared = factory->prepare(run->content, context);
  if (!prepared) {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return prepared.error();
  }
  stopEngine();
  engine_ = prepared.take();
  engineFolder_ = folder;
  return std::nullopt;
}

std::optional<engine::EngineError> SlotContext::startEngine() {
  if (!engine_) return engine::EngineError::failed("no engine prepared");
  auto generation = ++generation_;
  auto error = engine_->start([this, generation](engine::EngineState state, std::optional<engine::EngineError> e) {
    // A callback of an engine already replaced or stopped is stale.
    if (generation != generation_ || !events_.engine) return;
    events_.engine(state, std::move(e));
  });
  if (error) stopEngine();
  return error;
}

void SlotContext::detachEngine() {
  ++generation_;
  stopTraffic();
  if (engine_) detached_.push_back({std::move(engine_), engineFolder_});
}

void SlotContext::stopEngine() {
  detachEngine();
  // Engines retired earlier are stopped and no longer on any stack.
  retired_.clear();
  for (auto& detached : detached_) {
    detached.engine->stop({});
    std::error_code ignored;
    std::filesystem::remove_all(detached.folder, ignored);
    // This may run inside the engine's own callback: keep the object until the next stop.
    retired_.push_back(std::move(detached.engine));
  }
  detached_.clear();
}

const engine::TunnelNetwork* SlotContext::network() const { return engine_ ? &engine_->network() : nullptr; }

engine::TrafficCounters SlotContext::counters() { return engine_ ? engine_->counters() : engine::TrafficCounters{}; }

bool SlotContext::killSwitchOn() { return run && services_.store.onDemandManager(run->uid).has_value(); }

std::optional<std::string> SlotContext::probeUrl() {
  if (!run) return std::nullopt;
  auto manager = services_.store.onDemandManager(run->uid);
  if (!manager) return std::nullopt;
  for (const auto& rule : manager->onDemandRules) {
    if (rule.probeURL && !rule.probeURL->empty()) return rule.probeURL;
  }
  return std::nullopt;
}

void SlotContext::blockTraffic() {
  firewall::FirewallPolicy policy;
  if (const auto* n = network()) {
    policy.serverEndpoints = n->serverEndpoints;
    policy.engineMark = n->fwmark;
    policy.engineUid = n->uid;
  }
  policy.probeMark = net::kProbeMark;
  if (auto applied = services_.firewall.apply(policy); !applied) {
    services_.log.error("kill switch table not set: " + applied.error().description);
    lastError = platform::tunneld::ErrorInfo{platform::tunneld::ErrorCode::internal, applied.error().description, false};
    blocking_ = false;
    return;
  }
  blocking_ = true;
}

void SlotContext::guardTraffic() {
  const auto* n = network();
  if (!n) return;
  firewall::FirewallPolicy policy;
  policy.serverEndpoints = n->serverEndpoints;
  policy.engineMark = n->fwmark;
  policy.engineUid = n->uid;
  policy.tunnelInterface = n->interfaceName;
  policy.redirectMark = n->redirectMark;
  if (auto applied = services_.firewall.apply(policy); !applied) {
    services_.log.error("leak guard table not set: " + applied.error().description);
  }
  blocking_ = false;
}

void SlotContext::openTraffic() {
  blocking_ = false;
  if (!services_.firewall.active()) return;
  if (auto cleared = services_.firewall.clear(); !cleared) {
    services_.log.error("table not removed: " + cleared.error().description);
  }
  blocking_ = false;
}

void SlotContext::applyDns() {
  const auto* n = network();
  if (!n || n->dnsServers.empty()) return;
  dns::DnsSettings settings;
  settings.servers = n->dnsServers;
  settings.interfaceName = n->interfaceName;
  if (auto applied = services_.dns.apply(settings); !applied) {
    services_.log.error("tunnel DNS not set: " + applied.error().description);
    return;
  }
  dnsApplied_ = true;
}

void SlotContext::restoreDns() {
  if (auto restored = services_.dns.restore(); !restored) {
    services_.log.error("DNS not restored: " + restored.error().description);
    return;
  }
  dnsApplied_ = false;
}

void SlotContext::scheduleRetry() {
  cancelRetry();
  int index = std::min<int>(backoffStep_, static_cast<int>(std::size(kBackoffSeconds)) - 1);
  ++backoffStep_;
  retryTimer_ = services_.loop.postAfter(std::chrono::seconds(kBackoffSeconds[index]), [this] {
    retryTimer_ = 0;
    if (events_.retry) events_.retry();
  });
}

void SlotContext::cancelRetry() {
  if (retryTimer_ != 0) services_.loop.cancel(retryTimer_);
  retryTimer_ = 0;
  services_.probe.cancel();
}

void SlotContext::startProbe(const std::string& url) {
  services_.probe.start(url, [this](bool ok) {
    if (events_.probe) events_.probe(ok);
  });
}

void SlotContext::startTraffic() {
  stopTraffic();
  lastCounters_ = counters();
  trafficTimer_ = services_.loop.postRepeating(1s, [this] {
    auto now = counters();
    platform::tunneld::Traffic traffic;
    traffic.rxBytes = now.rxBytes;
    traffic.txBytes = now.txBytes;
    traffic.downlink = now.rxBytes >= lastCounters_.rxBytes ? now.rxBytes - lastCounters_.rxBytes : 0;
    traffic.uplink = now.txBytes >= lastCounters_.txBytes ? now.txBytes - lastCounters_.txBytes : 0;
    lastCounters_ = now;
    if (events_.traffic) events_.traffic(traffic);
  });
}

void SlotContext::stopTraffic() {
  if (trafficTimer_ != 0) services_.loop.cancel(trafficTimer_);
  trafficTimer_ = 0;
}

void SlotContext::recordError(const engine::EngineError& error) {
  lastError = platform::tunneld::ErrorInfo{error.code, error.message, blocking_};
  services_.log.warning(fmt::format("tunnel error ({}): {}", platform::tunneld::errorCodeToken(error.code), error.message));
}

void SlotContext::statusSettled() {
  if (events_.settled) events_.settled();
}

void SlotContext::forgetRun() {
  run.reset();
  if (auto cleared = services_.store.clearRun(); !cleared) {
    services_.log.error("run record not cleared: " + cleared.error().description);
  }
}

}  // namespace corvane::daemon::slot
