// Profiles and shared preferences in the core's database, and profile content on its file.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <fstream>

#include "tunnelcore/support/core_env.h"

namespace corvane::tunnelcore {
namespace {

mode_t modeOf(const std::filesystem::path& path) {
  struct stat st {};
  ::lstat(path.c_str(), &st);
  return st.st_mode & 0777;
}

TEST(ProfileStore, IdsRecordsAndOrderSurviveAnotherConnection) {
  test::CoreEnv env;
  EXPECT_EQ(*env.profiles->nextID(), 1);

  Profile kept;
  kept.id = 12345;
  kept.name = "Corvane";
  kept.order = 1;
  kept.autoUpdate = true;
  kept.type = ProfileType::remote;
  kept.autoUpdateInterval = 60;
  kept.remoteURL = "https://example.test/p";
  kept.lastUpdated = WallClock::time_point(std::chrono::milliseconds(1'700'000'000'123));
  ASSERT_TRUE(env.profiles->create(kept));

  Profile assigned;  // id 0: the manager picks the next free one
  assigned.name = "second";
  assigned.autoUpdate = true;  // local: not listed for automatic update
  auto created = env.profiles->create(assigned);
  ASSERT_TRUE(created);
  EXPECT_EQ(created->id, 12346);
  EXPECT_EQ(*env.profiles->nextID(), 12347);

  EXPECT_FALSE(env.profiles->create(kept)) << "an id already taken must be refused, not replaced";

  env.reopen();
  auto all = env.profiles->list();
  ASSERT_TRUE(all);
  ASSERT_EQ(all->size(), 2u);
  EXPECT_EQ((*all)[0].id, 12346) << "order 0 lists before order 1";
  const Profile& back = (*all)[1];
  EXPECT_EQ(back.name, "Corvane");
  EXPECT_EQ(back.remoteURL, kept.remoteURL);
  EXPECT_EQ(back.lastUpdated, kept.lastUpdated);
  EXPECT_EQ(back.autoUpdateInterval, 60);

  auto autoOnly = env.profiles->listAutoUpdateEnabled();
  ASSERT_EQ(autoOnly->size(), 1u);
  EXPECT_EQ((*autoOnly)[0].id, 12345);
  EXPECT_FALSE(env.profiles->get(1234)->has_value());

  Profile missing;
  missing.id = 99;
  EXPECT_FALSE(env.profiles->update(missing)) << "saving a record that does not exist is an error";
  EXPECT_EQ(modeOf(env.folders.databaseFile()), 0600u);
}

TEST(ProfileStore, SharedPreferencesDefaultAndPersist) {
  test::CoreEnv env;
  EXPECT_EQ(*env.preferences->selectedProfileID(), 0);
  EXPECT_FALSE(*env.preferences->networkPermissionRequested());
  ASSERT_TRUE(env.preferences->setSelectedProfileID(12345));
  ASSERT_TRUE(env.preferences->setNetworkPermissionRequested(true));
  env.reopen();
  EXPECT_EQ(*env.preferences->selectedProfileID(), 12345);
  EXPECT_TRUE(*env.preferences->networkPermissionRequested());
}

TEST(ProfileContent, ReplacedWholeWithinItsLimit) {
  test::CoreEnv env;
  const Profile p = env.addProfile(7, "{}");
  EXPECT_EQ(*p.read(), "{}");
  EXPECT_EQ(modeOf(p.path), 0600u);
  EXPECT_EQ(modeOf(env.folders.configsDirectory()), 0700u);

  ASSERT_TRUE(p.write("[Peer]\n"));
  const std::string tooLarge(Profile::kMaxContentBytes + 1, 'x');
  const auto refused = p.write(tooLarge);
  ASSERT_FALSE(refused);
  EXPECT_EQ(*p.read(), "[Peer]\n") << "a refused write leaves the old content";

  Profile noFile;
  EXPECT_FALSE(noFile.read());
  EXPECT_FALSE(noFile.write("x"));

  // A link planted in place of the file is not followed.
  const auto target = env.home() / "elsewhere";
  std::ofstream(target) << "secret";
  Profile linked = p;
  linked.path = (env.folders.configsDirectory() / "linked.json").string();
  std::filesystem::create_symlink(target, linked.path);
  EXPECT_FALSE(linked.read());
}

TEST(ProfileContent, UpdatePeriodIsHourlyBelowOneMinute) {
  Profile p;
  for (const auto& [interval, seconds] : {std::pair{0, 3600}, {-3, 3600}, {1, 60}, {90, 5400}}) {
    p.autoUpdateInterval = interval;
    EXPECT_EQ(p.updatePeriod().count(), seconds) << interval;
  }
}

}  // namespace
}  // namespace corvane::tunnelcore
