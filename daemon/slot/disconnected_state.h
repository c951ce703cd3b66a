#pragma once
// 1: nothing runs; no table, DNS as the host had it.
#include "daemon/slot/slot_state.h"

namespace corvane::daemon::slot {

class DisconnectedState final : public SlotState {
 public:
  std::int64_t status() const override;
  Next enter(SlotContext& context) override;
  Next onStop(SlotContext& context) override;
};

}  // namespace corvane::daemon::slot
