#include "tunnel/profile_update_task.h"

#include <algorithm>

namespace corvane::tunnel {

using tunnelcore::Profile;
using tunnelcore::WallClock;

ProfileUpdateTask::ProfileUpdateTask(tunnelcore::TunnelCore& core, platform::Log log, bool backgroundRefreshAvailable,
                                     Clock clock)
    : core_(core), log_(std::move(log)), backgroundRefreshAvailable_(backgroundRefreshAvailable), clock_(std::move(clock)) {}

ProfileUpdateTask::~ProfileUpdateTask() {
  *alive_ = false;
  if (timer_ != 0) core_.loop.cancel(timer_);
}

std::string ProfileUpdateTask::identifier() { return std::string(tunnelcore::FilePath::packageName) + ".update_profiles"; }

WallClock::time_point ProfileUpdateTask::dueTime(const Profile& profile) {
  if (!profile.lastUpdated) return WallClock::time_point::min();
  return *profile.lastUpdated + profile.updatePeriod();
}

Result<void> ProfileUpdateTask::schedule(const std::vector<Profile>& list, WallClock::time_point notBefore) {
  if (timer_ != 0) core_.loop.cancel(std::exchange(timer_, 0));
  if (list.empty()) return core_.sharedPreferences.setNextProfileUpdate(std::nullopt);
  auto earliest = dueTime(*std::min_element(list.begin(), list.end(), [](const Profile& a, const Profile& b) {
    return dueTime(a) < dueTime(b);
  }));
  const auto now = clock_();
  if (earliest < notBefore) earliest = notBefore;
  if (auto stored = core_.sharedPreferences.setNextProfileUpdate(
          std::chrono::duration_cast<std::chrono::seconds>(earliest.time_since_epoch()).count());
      !stored) {
    return stored.error();
  }
  timer_ = core_.loop.postAfter(std::chrono::duration_cast<platform::Duration>(earliest - now), [this, alive = alive_] {
    if (!*alive) return;
    timer_ = 0;
    run([](bool) {});
  });
  return {};
}

void ProfileUpdateTask::configure(std::function<void(Result<void>)> done) {
  registered_ = true;
  auto list = core_.profiles.listAutoUpdateEnabled();
  if (!list) return done(list.error());
  if (auto scheduled = schedule(*list, clock_()); !scheduled) return done(scheduled.error());
  if (!backgroundRefreshAvailable_ && !list->empty()) {
    log_.info("update profiles at start since background refresh unavailable");
    updateProfiles(std::move(*list), [](bool) {});
  }
  done(Result<void>::success());
}

void ProfileUpdateTask::run(std::function<void(bool)> done) {
  log_.info("profile update task started");
  auto list = core_.profiles.listAutoUpdateEnabled();
  if (!list || list->empty()) {
    if (!list) log_.warning("profile update task: " + list.error().toString());
    return done(true);
  }
  auto kept = *list;
  updateProfiles(std::move(*list), [this, alive = alive_, kept = std::move(kept), done = std::move(done)](bool success) {
    if (!*alive) return done(success);
    // Due times moved with the updates: schedule from the records as they are now.
    auto fresh = core_.profiles.listAutoUpdateEnabled();
    (void)schedule(fresh ? *fresh : kept, clock_() + kRetryPause);
    done(success);
  });
}

void ProfileUpdateTask::updateProfiles(std::vector<Profile> list, std::function<void(bool)> done) {
  updateNext(std::make_shared<std::vector<Profile>>(std::move(list)), 0, true, std::move(done));
}

void ProfileUpdateTask::updateNext(std::shared_ptr<std::vector<Profile>> list, std::size_t index, bool success,
                                   std::function<void(bool)> done) {
  // Skip what is not due; each update runs after the one before has finished.
  while (index < list->size() && dueTime((*list)[index]) > clock_()) ++index;
  if (index >= list->size()) {
    core_.loop.post([done = std::move(done), success] { done(success); });
    return;
  }
  const Profile profile = (*list)[index];
  // The completion runs on the loader's queue: it only hops back, through the loop (which
  // outlives this task), and the hop checks that the task still exists.
  core_.updater.updateRemoteProfile(profile, [this, &loop = core_.loop, alive = alive_, list, index, success,
                                              name = profile.name, done = std::move(done)](Result<Profile> updated) mutable {
    loop.post([this, alive, list, index, success, name, updated = std::move(updated),
                     done = std::move(done)]() mutable {
      if (!*alive) return;
      if (updated) {
        log_.info("Updated profile " + name);
      } else {
        log_.warning("Update profile " + name + " failed: " + updated.error().description);
        success = false;
      }
      updateNext(list, index + 1, success, std::move(done));
    });
  });
}

}  // namespace corvane::tunnel
