#include "daemon/slot/slot_state.h"

#include "daemon/slot/disconnecting_state.h"

namespace corvane::daemon::slot {

SlotState::Next SlotState::onStop(SlotContext&) { return std::make_unique<DisconnectingState>(); }

SlotState::Next SlotState::onEngine(SlotContext&, engine::EngineState, const std::optional<engine::EngineError>&) {
  return nullptr;
}

SlotState::Next SlotState::onKillSwitchChanged(SlotContext&) { return nullptr; }
SlotState::Next SlotState::onRetryTimer(SlotContext&) { return nullptr; }
SlotState::Next SlotState::onProbe(SlotContext&, bool) { return nullptr; }

}  // namespace corvane::daemon::slot
