// The dashboard's profile: created once, "Config" kept in it, the selection kept valid, and
// the content the extension then starts.
#include <gtest/gtest.h>

#include <fstream>

#include "keys/preference_key.h"
#include "tunnel/profile_builder.h"
#include "tunnel/support/tunnel_env.h"

namespace corvane::tunnel {
namespace {

struct Builder : ::testing::Test {
  test::TunnelEnv env;
  std::unique_ptr<ProfileBuilder> builder = make(1234);

  std::unique_ptr<ProfileBuilder> make(std::optional<std::int64_t> id) {
    return std::make_unique<ProfileBuilder>(env.services(), *env.core, id, true);
  }
  std::string fileOf(std::int64_t id) {
    auto p = env.core->profiles.get(id);
    return p && p->has_value() ? *(*p)->read() : "<none>";
  }
};

TEST_F(Builder, FirstShowCreatesOneProfileAndConfigReachesWhatTheTunnelStarts) {
  env.preferences.set(keys::pref::config, std::string(test::TunnelEnv::kWireGuard));
  builder->onShown();
  env.drain();
  auto list = env.core->profiles.list();
  ASSERT_EQ(list->size(), 1u);
  EXPECT_EQ((*list)[0].id, ProfileBuilder::kCreatedProfileID);
  EXPECT_EQ((*list)[0].path, (env.folders.configsDirectory() / "config_1.json").string()) << "named after nextID";
  EXPECT_EQ(builder->selectedProfileID, ProfileBuilder::kCreatedProfileID);
  EXPECT_EQ(*env.core->sharedPreferences.selectedProfileID(), ProfileBuilder::kCreatedProfileID);

  // The first assignment may land before the profile exists; the second, 1.0 s later, not.
  env.loop.advance(platform::seconds(1.0));
  env.drain();
  EXPECT_EQ(fileOf(ProfileBuilder::kCreatedProfileID), test::TunnelEnv::kWireGuard);
  EXPECT_EQ(builder->profileConfig, test::TunnelEnv::kWireGuard);

  builder->onShown();
  env.drain();
  EXPECT_EQ(env.core->profiles.list()->size(), 1u) << "a second show creates nothing";

  std::optional<Result<void>> started;
  env.core->extensionProfile.start([&](Result<void> r) { started = std::move(r); });
  env.drain();
  ASSERT_TRUE(started && *started);
  EXPECT_EQ(env.daemon.profileStarts.at(0).content, test::TunnelEnv::kWireGuard);
}

TEST_F(Builder, NoConfigMeansEmptyContent) {
  builder->onShown();
  env.loop.advance(platform::seconds(1.0));
  env.drain();
  EXPECT_EQ(fileOf(ProfileBuilder::kCreatedProfileID), "{}");
}

TEST_F(Builder, AFailedCreationIsTriedAgainOnTheNextShow) {
  // A file where the profile folder belongs makes the creation fail.
  std::filesystem::remove_all(env.folders.configsDirectory());
  std::ofstream(env.folders.configsDirectory()) << "in the way";
  builder->onShown();
  env.drain();
  EXPECT_TRUE(env.core->profiles.list()->empty());
  EXPECT_FALSE(env.preferences.get(keys::pref::createProfileBackground)) << "the flag must not promise a profile";

  std::filesystem::remove(env.folders.configsDirectory());
  std::filesystem::create_directory(env.folders.configsDirectory());
  builder->onShown();
  env.drain();
  EXPECT_EQ(env.core->profiles.list()->size(), 1u);
  EXPECT_TRUE(env.preferences.get(keys::pref::createProfileBackground));
}

TEST_F(Builder, SelectionRules) {
  // No profiles: the stored selection stays as it is.
  ASSERT_TRUE(env.core->sharedPreferences.setSelectedProfileID(77));
  env.preferences.set(keys::pref::createProfileBackground, true);
  builder->reloadProfiles();
  env.drain();
  EXPECT_EQ(*env.core->sharedPreferences.selectedProfileID(), 77);

  // A selection that no longer exists is replaced by the first listed profile.
  tunnelcore::Profile a;
  a.id = 5;
  a.name = "a";
  ASSERT_TRUE(env.core->profiles.create(a));
  builder->reloadProfiles();
  env.drain();
  EXPECT_EQ(*env.core->sharedPreferences.selectedProfileID(), 5);
  EXPECT_EQ(builder->profileList.size(), 1u);
}

TEST_F(Builder, WithoutAProfileIdNothingIsWritten) {
  auto orphan = make(std::nullopt);
  env.preferences.set(keys::pref::createProfileBackground, true);
  tunnelcore::Profile a;
  a.id = 5;
  a.path = (env.folders.configsDirectory() / "a.json").string();
  ASSERT_TRUE(a.write("{}"));
  ASSERT_TRUE(env.core->profiles.create(a));
  orphan->setProfileConfig("[Peer]\n");
  env.drain();
  EXPECT_EQ(fileOf(5), "{}");
  EXPECT_TRUE(env.sink->contains("saveAndLoadProfile error: Context destroyed 0"));
}

}  // namespace
}  // namespace corvane::tunnel
