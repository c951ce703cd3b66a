#pragma once
// 3: traffic flows through the tunnel and nowhere else; DNS points into it.
#include "daemon/slot/slot_state.h"

namespace corvane::daemon::slot {

class ConnectedState final : public SlotState {
 public:
  std::int64_t status() const override;
  Next enter(SlotContext& context) override;
  Next onEngine(SlotContext& context, engine::EngineState state, const std::optional<engine::EngineError>& error) override;
};

}  // namespace corvane::daemon::slot
