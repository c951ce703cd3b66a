#include "daemon/slot/disconnected_state.h"

#include "daemon/slot/slot_context.h"

namespace corvane::daemon::slot {

std::int64_t DisconnectedState::status() const { return platform::tunneld::kStatusDisconnected; }

SlotState::Next DisconnectedState::enter(SlotContext& context) {
  context.cancelRetry();
  context.stopEngine();
  context.openTraffic();
  context.restoreDns();
  context.forgetRun();
  return nullptr;
}

SlotState::Next DisconnectedState::onStop(SlotContext&) { return nullptr; }

}  // namespace corvane::daemon::slot
