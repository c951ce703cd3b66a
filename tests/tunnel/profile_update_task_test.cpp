// Background refresh of remote profiles: what is due, when the timer fires, what a failure
// does to the run.
#include <gtest/gtest.h>

#include "tunnel/profile_update_task.h"
#include "tunnel/support/tunnel_env.h"

namespace corvane::tunnel {
namespace {

using tunnelcore::Profile;
using tunnelcore::WallClock;

const WallClock::time_point kNow{std::chrono::seconds(1'800'000'000)};

struct Refresh : ::testing::Test {
  test::TunnelEnv env;
  WallClock::time_point now = kNow;
  ProfileUpdateTask task{*env.core, env.log(), true, [this] { return now; }};

  // A remote profile on the environment's HTTPS server, last updated `ago` before now.
  Profile remote(std::int64_t id, const std::string& path, std::optional<std::chrono::seconds> ago,
                 std::int32_t interval) {
    Profile p;
    p.id = id;
    p.name = "r" + std::to_string(id);
    p.type = tunnelcore::ProfileType::remote;
    p.autoUpdate = true;
    p.autoUpdateInterval = interval;
    p.remoteURL = env.profileServer.url(path);
    if (ago) p.lastUpdated = now - *ago;
    EXPECT_TRUE(env.core->profiles.create(p));
    return p;
  }
  std::optional<std::int64_t> storedDue() { return *env.core->sharedPreferences.nextProfileUpdate(); }
};

TEST_F(Refresh, DueTimeRules) {
  Profile p;
  p.lastUpdated = kNow;
  for (const auto& [interval, seconds] : {std::pair{0, 3600}, {1, 60}, {30, 1800}}) {
    p.autoUpdateInterval = interval;
    EXPECT_EQ(ProfileUpdateTask::dueTime(p) - kNow, std::chrono::seconds(seconds)) << interval;
  }
  p.lastUpdated.reset();
  EXPECT_LT(ProfileUpdateTask::dueTime(p), kNow) << "never updated: due now";
  EXPECT_EQ(ProfileUpdateTask::identifier(), "net.corvane.client.update_profiles");
}

TEST_F(Refresh, NothingToUpdateSchedulesNothing) {
  std::optional<Result<void>> done;
  task.configure([&](Result<void> r) { done = std::move(r); });
  ASSERT_TRUE(done && *done);
  EXPECT_FALSE(task.scheduled());
  EXPECT_FALSE(storedDue());
}

TEST_F(Refresh, TheEarliestDueTimeIsStoredAndPastOnesBecomeNow) {
  remote(1, "/a", std::chrono::seconds(600), 60);   // due in 50 min
  remote(2, "/b", std::chrono::seconds(60), 10);    // due in 9 min
  std::optional<Result<void>> done;
  task.configure([&](Result<void> r) { done = std::move(r); });
  ASSERT_TRUE(done && *done);
  EXPECT_EQ(storedDue(), std::chrono::duration_cast<std::chrono::seconds>((kNow + std::chrono::seconds(540)).time_since_epoch()).count());

  remote(3, "/c", std::chrono::seconds(7200), 0);  // overdue
  task.configure([](Result<void>) {});
  EXPECT_EQ(storedDue(), std::chrono::duration_cast<std::chrono::seconds>(kNow.time_since_epoch()).count());
}

TEST_F(Refresh, TheTimerUpdatesDueProfilesAndOneFailureFailsTheRun) {
  env.profileServer.answer("GET", "/ok", test::ScriptedReply::text(200, "[Peer]\nEndpoint = 10.0.0.9:51820\n"));
  env.profileServer.answer("GET", "/broken", test::ScriptedReply::text(500, "no"));
  remote(1, "/broken", std::nullopt, 60);
  remote(2, "/ok", std::nullopt, 60);
  remote(3, "/ok", std::chrono::seconds(60), 60);  // not due: left alone

  std::optional<bool> outcome;
  task.run([&](bool ok) { outcome = ok; });
  ASSERT_TRUE(env.settle([&] { return outcome.has_value(); }));
  EXPECT_FALSE(*outcome);
  EXPECT_TRUE(env.sink->contains("Updated profile r2"));
  EXPECT_FALSE(env.sink->contains("Updated profile r3"));
  EXPECT_TRUE((*env.core->profiles.get(2))->lastUpdated.has_value());
  EXPECT_FALSE((*env.core->profiles.get(1))->lastUpdated.has_value());
  EXPECT_TRUE(task.scheduled()) << "the next run is scheduled after each run";
  // The failed profile is still due, but a run does not follow a run at once: a broken
  // profile server would otherwise be asked again and again without a pause.
  EXPECT_GE(*storedDue(), std::chrono::duration_cast<std::chrono::seconds>(
                              (kNow + ProfileUpdateTask::kRetryPause).time_since_epoch()).count());
}

}  // namespace
}  // namespace corvane::tunnel
