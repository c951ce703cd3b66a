#pragma once
// 4: the kill switch keeps a lost tunnel's place: everything blocked, the engine restarted
// with back-off once the probe (when the rule has one) answers 200.
#include "daemon/slot/slot_state.h"

namespace corvane::daemon::slot {

class ReassertingState final : public SlotState {
 public:
  std::int64_t status() const override;
  Next enter(SlotContext& context) override;
  Next onEngine(SlotContext& context, engine::EngineState state, const std::optional<engine::EngineError>& error) override;
  Next onKillSwitchChanged(SlotContext& context) override;
  Next onRetryTimer(SlotContext& context) override;
  Next onProbe(SlotContext& context, bool answered200) override;

 private:
  Next restart(SlotContext& context);
};

}  // namespace corvane::daemon::slot
