#pragma once
// A tunnel service on the main loop's clock, for tests of the timing rules: every answer
// comes on a later turn of the loop, a started tunnel reports "connecting" at once and
// "connected" `connectDelay` later, a stop reports "disconnecting" and then "disconnected"
// `stopDelay` later. It records what it was asked, and tests drive traffic and failures.
#include <optional>
#include <string>
#include <vector>

#include "platform/mainloop/main_loop.h"
#include "platform/vpn/daemon_observers.h"
#include "platform/vpn/tunnel_daemon.h"

namespace corvane::platform {

class FakeTunnelDaemon final : public TunnelDaemon {
 public:
  explicit FakeTunnelDaemon(MainLoop& loop) : loop_(loop) {}
  ~FakeTunnelDaemon() override;

  Duration connectDelay = seconds(0.5);
  Duration stopDelay = seconds(0.2);
  // When set, the next start is refused with this error (and the slot stays as it was).
  std::optional<Error> refuseNextStart;
  // When set, a start is accepted but the engine then fails with this lastError.
  std::optional<std::string> failAfterStart;

  // What was asked of it.
  std::vector<ProfileStart> profileStarts;
  std::vector<std::string> managerStarts;
  int stops = 0;
  std::vector<ManagerSettings> managers;

  void listManagers(ManagersDone done) override;
  void saveManager(ManagerSettings manager, ManagerDone done) override;
  void startManager(std::string managerId, Done done) override;
  void startProfile(ProfileStart profile, Done done) override;
  void stop(Done done) override;
  void refreshState(Done done) override;
  const TunnelState& state() const override { return state_; }
  ObserverId observe(StateObserver onState, TrafficObserver onTraffic) override {
    return observers_.add(std::move(onState), std::move(onTraffic));
  }
  void removeObserver(ObserverId id) override { observers_.remove(id); }

  // Reports traffic now, as the service does once a second.
  void emitTraffic(const TrafficSample& sample) { observers_.traffic(sample); }
  // Moves the slot to `status` now and tells the observers.
  void setStatus(VpnStatus status);

 private:
  void begin(std::string engine, std::string startedBy, std::string managerId);
  TimerId later(Duration delay, Task task);
  // The one pending move of the slot (to connected, or to disconnected): a new start or stop
  // replaces it, as the service's own state machine does.
  void transition(Duration delay, Task task);

  MainLoop& loop_;
  TunnelState state_;
  DaemonObservers observers_;
  std::vector<TimerId> timers_;
  TimerId transition_ = 0;
  int nextManager_ = 1;
};

}  // namespace corvane::platform
