#include "daemon/slot/connecting_state.h"

#include "daemon/slot/connected_state.h"
#include "daemon/slot/disconnected_state.h"
#include "daemon/slot/reasserting_state.h"
#include "daemon/slot/slot_context.h"

namespace corvane::daemon::slot {
namespace {

SlotState::Next afterFailure(SlotContext& context, const engine::EngineError& error) {
  context.recordError(error);
  if (context.killSwitchOn()) return std::make_unique<ReassertingState>();
  return std::make_unique<DisconnectedState>();
}

}  // namespace

std::int64_t ConnectingState::status() const { return platform::tunneld::kStatusConnecting; }

SlotState::Next ConnectingState::enter(SlotContext& context) {
  // From the user's connect on, the kill switch blocks until the tunnel is up. Without it, a
  // table left by a tunnel this start replaces goes: its guard would not let the new
  // engine reach a different server.
  if (context.killSwitchOn()) {
    context.blockTraffic();
  } else {
    context.openTraffic();
  }
  context.restoreDns();
  if (auto error = context.startEngine()) return afterFailure(context, *error);
  context.startTraffic();
  return nullptr;
}

SlotState::Next ConnectingState::onEngine(SlotContext& context, engine::EngineState state,
                                          const std::optional<engine::EngineError>& error) {
  if (state == engine::EngineState::up) return std::make_unique<ConnectedState>();
  if (state == engine::EngineState::exited) {
    return afterFailure(context, error.value_or(engine::EngineError::failed("the engine ended while connecting")));
  }
  return nullptr;
}

SlotState::Next ConnectingState::onKillSwitchChanged(SlotContext& context) {
  if (context.killSwitchOn()) {
    context.blockTraffic();
  } else {
    context.openTraffic();
  }
  return nullptr;
}

}  // namespace corvane::daemon::slot
