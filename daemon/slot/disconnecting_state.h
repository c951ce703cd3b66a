#pragma once
// 5: the user's stop: engine, table and DNS go, then disconnected.
#include "daemon/slot/slot_state.h"

namespace corvane::daemon::slot {

class DisconnectingState final : public SlotState {
 public:
  std::int64_t status() const override;
  Next enter(SlotContext& context) override;
  Next onStop(SlotContext& context) override;
};

}  // namespace corvane::daemon::slot
