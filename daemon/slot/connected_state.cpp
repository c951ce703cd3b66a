#include "daemon/slot/connected_state.h"

#include "daemon/slot/disconnected_state.h"
#include "daemon/slot/reasserting_state.h"
#include "daemon/slot/slot_context.h"

namespace corvane::daemon::slot {

std::int64_t ConnectedState::status() const { return platform::tunneld::kStatusConnected; }

SlotState::Next ConnectedState::enter(SlotContext& context) {
  context.cancelRetry();
  context.resetBackoff();
  context.lastError.reset();
  // Whatever the kill switch says, nothing leaves around an up tunnel (IPv6 the tunnel does
  // not carry, DNS to the old resolvers).
  context.guardTraffic();
  context.applyDns();
  context.startTraffic();
  return nullptr;
}

SlotState::Next ConnectedState::onEngine(SlotContext& context, engine::EngineState state,
                                         const std::optional<engine::EngineError>& error) {
  if (state == engine::EngineState::up || state == engine::EngineState::starting) return nullptr;
  context.recordError(error.value_or(engine::EngineError::failed("the tunnel's link dropped")));
  if (context.killSwitchOn()) return std::make_unique<ReassertingState>();
  return std::make_unique<DisconnectedState>();
}

}  // namespace corvane::daemon::slot
