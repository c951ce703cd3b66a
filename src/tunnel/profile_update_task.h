#pragma once
// Background refresh of remote profiles marked for automatic update. While the app runs, a
// main-loop timer fires when the earliest profile falls due; the due time is also stored in
// the tunnel core, so the systemd user timer (packaging/corvane-profile-refresh.timer, which
// runs `corvanectl profiles refresh --due`) does the work while the app does not run. Where
// no timer can run (a one-shot command), configure updates the due profiles at once.
//
// Registration happens once per task object (one per process); every configure cancels the
// pending timer and schedules afresh. A profile's period is its interval in minutes, or an
// hour below 1; one never updated is due now. Lives on the main loop.
#include <functional>
#include <string>
#include <vector>

#include "platform/log/log.h"
#include "tunnelcore/profile.h"
#include "tunnelcore/tunnel_core.h"

namespace corvane::tunnel {

class ProfileUpdateTask {
 public:
  using Clock = std::function<tunnelcore::WallClock::time_point()>;
  // The shortest time between two runs: a profile whose update keeps failing stays due, and
  // without a pause its server would be asked again at once, over and over.
  static constexpr std::chrono::seconds kRetryPause{300};

  ProfileUpdateTask(tunnelcore::TunnelCore& core, platform::Log log, bool backgroundRefreshAvailable,
                    Clock clock = [] { return tunnelcore::WallClock::now(); });
  ~ProfileUpdateTask();
  ProfileUpdateTask(const ProfileUpdateTask&) = delete;
  ProfileUpdateTask& operator=(const ProfileUpdateTask&) = delete;

  // "net.corvane.client.update_profiles".
  static std::string identifier();

  // Sets up and schedules; without background refresh, also updates what is due now. The
  // error (listing, storing the due time) reaches `done`; updates report through the log.
  void configure(std::function<void(Result<void>)> done);
  // What the timer runs: the due profiles updated, the next run scheduled. `done` gets
  // whether every update succeeded (an empty list counts as success).
  void run(std::function<void(bool)> done);
  // Updates the profiles of `list` that are due, one after another; `done` runs on the main
  // loop with false when any of them failed.
  void updateProfiles(std::vector<tunnelcore::Profile> list, std::function<void(bool)> done);

  bool registered() const { return registered_; }
  bool scheduled() const { return timer_ != 0; }

  // When `profile` falls due.
  static tunnelcore::WallClock::time_point dueTime(const tunnelcore::Profile& profile);

 private:
  Result<void> schedule(const std::vector<tunnelcore::Profile>& list, tunnelcore::WallClock::time_point notBefore);
  void updateNext(std::shared_ptr<std::vector<tunnelcore::Profile>> list, std::size_t index, bool success,
                  std::function<void(bool)> done);

  tunnelcore::TunnelCore& core_;
  platform::Log log_;
  bool backgroundRefreshAvailable_;
  Clock clock_;
  bool registered_ = false;
  platform::TimerId timer_ = 0;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace corvane::tunnel
