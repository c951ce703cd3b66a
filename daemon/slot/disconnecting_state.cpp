#include "daemon/slot/disconnecting_state.h"

#include "daemon/slot/disconnected_state.h"
#include "daemon/slot/slot_context.h"

namespace corvane::daemon::slot {

std::int64_t DisconnectingState::status() const { return platform::tunneld::kStatusDisconnecting; }

SlotState::Next DisconnectingState::enter(SlotContext& context) {
  context.cancelRetry();
  context.detachEngine();
  context.lastError.reset();
  context.statusSettled();
  context.stopEngine();
  return std::make_unique<DisconnectedState>();
}

SlotState::Next DisconnectingState::onStop(SlotContext&) { return nullptr; }

}  // namespace corvane::daemon::slot
