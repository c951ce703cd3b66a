#include "daemon/slot/reasserting_state.h"

#include <fmt/format.h>

#include "daemon/slot/connected_state.h"
#include "daemon/slot/disconnected_state.h"
#include "daemon/slot/slot_context.h"

namespace corvane::daemon::slot {

std::int64_t ReassertingState::status() const { return platform::tunneld::kStatusReasserting; }

SlotState::Next ReassertingState::enter(SlotContext& context) {
  // Block first, then take the engine down: no moment lets traffic out around the tunnel.
  context.blockTraffic();
  if (context.lastError) context.lastError->blocking = context.blocking();
  context.detachEngine();
  // Blocked and without an engine: told now, before the program's end and DNS.
  context.statusSettled();
  context.stopEngine();
  context.restoreDns();
  context.scheduleRetry();
  return nullptr;
}

SlotState::Next ReassertingState::onRetryTimer(SlotContext& context) {
  if (auto url = context.probeUrl()) {
    context.startProbe(*url);
    return nullptr;
  }
  return restart(context);
}

SlotState::Next ReassertingState::onProbe(SlotContext& context, bool answered200) {
  if (!answered200) {
    // The retry did not even start the engine: say so, or the subscriber would still read the
    // engine's old failure as the reason the tunnel stays down.
    context.recordError(engine::EngineError::failed(
        fmt::format("the probe {} did not answer 200; reconnecting later", context.probeUrl().value_or("page"))));
    context.scheduleRetry();
    return nullptr;
  }
  return restart(context);
}

SlotState::Next ReassertingState::restart(SlotContext& context) {
  auto error = context.prepareEngine();
  if (!error) {
    // The table now also opens the fresh engine's way to its server.
    context.blockTraffic();
    error = context.startEngine();
  }
  if (error) {
    context.recordError(*error);
    context.scheduleRetry();
  }
  return nullptr;
}

SlotState::Next ReassertingState::onEngine(SlotContext& context, engine::EngineState state,
                                           const std::optional<engine::EngineError>& error) {
  if (state == engine::EngineState::up) return std::make_unique<ConnectedState>();
  if (state == engine::EngineState::exited) {
    context.recordError(error.value_or(engine::EngineError::failed("the engine ended while reconnecting")));
    context.stopEngine();
    context.scheduleRetry();
  }
  return nullptr;
}

SlotState::Next ReassertingState::onKillSwitchChanged(SlotContext& context) {
  // Switching the kill switch off ends the blocking at once.
  if (!context.killSwitchOn()) return std::make_unique<DisconnectedState>();
  return nullptr;
}

}  // namespace corvane::daemon::slot
