#pragma once
// 2: the engine starts; with the kill switch on, everything but its server is blocked.
#include "daemon/slot/slot_state.h"

namespace corvane::daemon::slot {

class ConnectingState final : public SlotState {
 public:
  std::int64_t status() const override;
  Next enter(SlotContext& context) override;
  Next onEngine(SlotContext& context, engine::EngineState state, const std::optional<engine::EngineError>& error) override;
  Next onKillSwitchChanged(SlotContext& context) override;
};

}  // namespace corvane::daemon::slot
