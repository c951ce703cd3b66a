#include "daemon/slot/disconnected_state.h"

#include "daemon/slot/slot_context.h"

namespace corvane::daemon::slot {

std::int64_t DisconnectedState::status() const { return platform::tunneld::kStatusDisconnected; }

SlotState::Next DisconnectedState::enter(SlotContext& context) {
  context.cancelRetry();
  // What the status says is settled (and told) first: no engine, no run, no block. A leak
  // guard (not a block) goes after the news, with the engine's end, DNS and the store.
  context.detachEngine();
  context.run.reset();
  if (context.blocking()) context.openTraffic();
  context.statusSettled();
  context.stopEngine();
  context.openTraffic();
  context.restoreDns();
  context.forgetRun();
  return nullptr;
}

SlotState::Next DisconnectedState::onStop(SlotContext&) { return nullptr; }

}  // namespace corvane::daemon::slot
