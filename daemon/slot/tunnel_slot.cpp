#include "daemon/slot/tunnel_slot.h"

#include <fmt/format.h>

#include <ctime>

#include "daemon/slot/connecting_state.h"
#include "daemon/slot/disconnected_state.h"

namespace corvane::daemon::slot {

using platform::tunneld::ErrorCode;
using platform::tunneld::ErrorInfo;

TunnelSlot::TunnelSlot(SlotContext& context, StatusListener onStatus, TrafficListener onTraffic)
    : context_(context), onStatus_(std::move(onStatus)), onTraffic_(std::move(onTraffic)) {
  state_ = std::make_unique<DisconnectedState>();
  since_ = std::time(nullptr);
  SlotContext::Events events;
  events.engine = [this](engine::EngineState state, std::optional<engine::EngineError> error) {
    handle(state_->onEngine(context_, state, error));
  };
  events.retry = [this] { handle(state_->onRetryTimer(context_)); };
  events.settled = [this] { publishIfChanged(); };
  events.probe = [this](bool ok) { handle(state_->onProbe(context_, ok)); };
  events.traffic = [this](const platform::tunneld::Traffic& traffic) {
    traffic_ = traffic;
    if (onTraffic_) onTraffic_(traffic);
  };
  context_.setEvents(std::move(events));
}

TunnelSlot::~TunnelSlot() { context_.setEvents({}); }

void TunnelSlot::handle(SlotState::Next next) {
  // Each state's enter returns at most a state that settles (disconnected, or one waiting
  // for an event); eight steps is far more than any chain.
  for (int step = 0; next && step < 8; ++step) {
    state_ = std::move(next);
    since_ = std::time(nullptr);
    // Each state is told once, with its fields (the kill switch's block, the error, the run)
    // as they will stay, so a client never waits for a second event to learn them. States
    // that take a tunnel down tell it as soon as those fields are settled, before the slow
    // part (a program's end, DNS, the store); the others once entering is done, so
    // "connected" is never told before the leak guard and DNS are in place.
    next = state_->enter(context_);
    publishIfChanged();
  }
  // An error recorded without a change of state (a reconnect that failed again while
  // reasserting) is news of its own: subscribers learn why, once, and not again while the
  // same error repeats at every retry.
  if (published_ && published_->lastError != context_.lastError) publishIfChanged();
}

void TunnelSlot::publishIfChanged() {
  auto now = status();
  if (published_ && *published_ == now) return;
  published_ = now;
  if (onStatus_) onStatus_(now);
}

std::optional<ErrorInfo> TunnelSlot::refuseOtherOwner(std::uint32_t callerUid) const {
  if (callerUid == 0 || !context_.run || context_.run->uid == callerUid) return std::nullopt;
  return ErrorInfo{ErrorCode::busy, fmt::format("the tunnel of uid {} holds the slot", context_.run->uid), context_.blocking()};
}

std::optional<ErrorInfo> TunnelSlot::start(std::uint32_t callerUid, state::RunRecord run) {
  if (auto refused = refuseOtherOwner(callerUid)) return refused;
  auto previous = context_.run;
  context_.run = run;
  if (auto error = context_.prepareEngine()) {
    context_.run = previous;
    return ErrorInfo{error->code, error->message, context_.blocking()};
  }
  context_.cancelRetry();
  context_.lastError.reset();
  traffic_ = {};
  if (auto saved = context_.store().saveRun(run); !saved) {
    context_.log().error("run record not saved: " + saved.error().description);
  }
  handle(std::make_unique<ConnectingState>());
  return std::nullopt;
}

std::optional<ErrorInfo> TunnelSlot::stop(std::uint32_t callerUid) {
  if (auto refused = refuseOtherOwner(callerUid)) return refused;
  handle(state_->onStop(context_));
  return std::nullopt;
}

void TunnelSlot::killSwitchChanged(std::uint32_t uid) {
  if (!context_.run || context_.run->uid != uid) return;
  handle(state_->onKillSwitchChanged(context_));
  publishIfChanged();
}

void TunnelSlot::resume(state::RunRecord run) {
  context_.run = run;
  if (!context_.killSwitchOn()) {
    handle(std::make_unique<DisconnectedState>());
    return;
  }
  if (auto error = context_.prepareEngine()) {
    context_.recordError(*error);
    handle(std::make_unique<DisconnectedState>());
    return;
  }
  handle(std::make_unique<ConnectingState>());
}

void TunnelSlot::shutdown() {
  context_.cancelRetry();
  // A service that stops is not the user's stop: with the kill switch on the host stays
  // blocked, as after a crash, until a later daemon resumes the tunnel or the user stops it.
  const bool keepBlocking = context_.run && context_.killSwitchOn();
  context_.stopEngine();
  if (keepBlocking) {
    context_.blockTraffic();
  } else {
    context_.openTraffic();
  }
  context_.restoreDns();
}

platform::tunneld::TunnelStatus TunnelSlot::status() const {
  platform::tunneld::TunnelStatus s;
  s.status = state_->status();
  s.since = since_;
  s.killSwitch = context_.blocking();
  s.lastError = context_.lastError;
  if (const auto& run = context_.run) {
    s.engine = run->engine;
    s.startedBy = run->startedBy;
    s.managerId = run->managerId;
    s.ownerUid = run->uid;
    s.rxBytes = traffic_.rxBytes;
    s.txBytes = traffic_.txBytes;
    if (const auto* network = context_.network()) {
      s.tunnelAddress = network->tunnelAddress;
      s.interfaceName = network->interfaceName;
      if (network->loopbackProxyPort) s.proxy = platform::tunneld::TunnelStatus::Proxy{"127.0.0.1", *network->loopbackProxyPort};
    }
  }
  return s;
}

}  // namespace corvane::daemon::slot
