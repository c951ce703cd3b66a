#pragma once
// One state of the tunnel slot. Entering a state performs its side effects (firewall, DNS,
// engine); handling an event returns the next state, or nullptr to stay. One file per state.
#include <cstdint>
#include <memory>
#include <optional>

#include "daemon/engine/engine_error.h"
#include "daemon/engine/engine_state.h"

namespace corvane::daemon::slot {

class SlotContext;

class SlotState {
 public:
  using Next = std::unique_ptr<SlotState>;

  virtual ~SlotState() = default;
  // The status value 0-5 clients see while in this state.
  virtual std::int64_t status() const = 0;

  virtual Next enter(SlotContext& context) = 0;
  // The user's stop. It always wins: every running state goes to disconnecting.
  virtual Next onStop(SlotContext& context);
  virtual Next onEngine(SlotContext& context, engine::EngineState state, const std::optional<engine::EngineError>& error);
  // The owner's kill switch (on-demand of a saved manager) was switched on or off.
  virtual Next onKillSwitchChanged(SlotContext& context);
  // The back-off timer fired, or the probe answered.
  virtual Next onRetryTimer(SlotContext& context);
  virtual Next onProbe(SlotContext& context, bool answered200);
};

}  // namespace corvane::daemon::slot
