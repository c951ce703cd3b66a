#pragma once
// The one tunnel slot: the state machine every start, stop, engine event and kill-switch
// change goes through, and the status all clients see, whichever way the tunnel was started.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "daemon/slot/slot_context.h"
#include "daemon/slot/slot_state.h"
#include "daemon/state/run_record.h"
#include "platform/vpn/tunneld/contract.h"

namespace corvane::daemon::slot {

class TunnelSlot {
 public:
  using StatusListener = std::function<void(const platform::tunneld::TunnelStatus&)>;
  using TrafficListener = std::function<void(const platform::tunneld::Traffic&)>;

  TunnelSlot(SlotContext& context, StatusListener onStatus, TrafficListener onTraffic);
  ~TunnelSlot();

  // Checks the configuration at once (a refusal comes back here and changes nothing), then
  // connects. A start while the caller's own tunnel runs replaces it; another uid's tunnel
  // is not touched (busy), except by root.
  std::optional<platform::tunneld::ErrorInfo> start(std::uint32_t callerUid, state::RunRecord run);
  // The user's stop: always wins over the kill switch.
  std::optional<platform::tunneld::ErrorInfo> stop(std::uint32_t callerUid);
  // `uid` saved or removed a manager: its kill switch may have changed.
  void killSwitchChanged(std::uint32_t uid);
  // At start-up: brings back a tunnel whose owner has the kill switch on.
  void resume(state::RunRecord run);
  // Takes the tunnel down for a daemon shutdown, keeping the run record so that a restart
  // resumes it when the kill switch is on; until then everything stays blocked (fail closed).
  void shutdown();

  platform::tunneld::TunnelStatus status() const;

 private:
  void handle(SlotState::Next next);
  void publishIfChanged();
  std::optional<platform::tunneld::ErrorInfo> refuseOtherOwner(std::uint32_t callerUid) const;

  SlotContext& context_;
  StatusListener onStatus_;
  TrafficListener onTraffic_;
  std::unique_ptr<SlotState> state_;
  std::int64_t since_ = 0;
  platform::tunneld::Traffic traffic_;
  std::optional<platform::tunneld::TunnelStatus> published_;
};

}  // namespace corvane::daemon::slot
