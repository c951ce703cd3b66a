// What runs at launch: the log lines in order, the profile server, the permission step.
#include <gtest/gtest.h>

#include "app/application_delegate.h"
#include "tunnel/support/tunnel_env.h"
#include "tunnelcore/profile_server_client.h"

namespace corvane::app {
namespace {

struct GreyFlags final : platform::GlyphProbe {
  bool flagRendersGrey() override { return true; }
};

struct Launch : ::testing::Test {
  test::TunnelEnv env;
  tunnel::ProfileUpdateTask updates{*env.core, env.log(), true};
  platform::NoDisplayGlyphProbe noDisplay;
  GreyFlags grey;

  std::unique_ptr<ApplicationDelegate> launch(platform::UserInterfaceIdiom idiom, platform::GlyphProbe& probe) {
    auto delegate = std::make_unique<ApplicationDelegate>(
        ApplicationDelegate::Services{*env.core, updates, probe, idiom, env.log()});
    EXPECT_TRUE(delegate->didFinishLaunching());
    env.drain();
    return delegate;
  }
  bool permission() { return *env.core->sharedPreferences.networkPermissionRequested(); }
};

TEST_F(Launch, LinesInOrderAndAProfileServerThatAnswers) {
  auto delegate = launch(platform::UserInterfaceIdiom::desktop, noDisplay);
  EXPECT_EQ(env.sink->lines(),
            (std::vector<std::string>{"Here I stand", "setup background task success", "started profile server"}));
  ASSERT_NE(delegate->profileServer(), nullptr);
  EXPECT_FALSE(permission()) << "a desktop skips the permission step";

  // A second launch in the same home finds the first one's server and goes on without one.
  env.sink->clear();
  auto second = launch(platform::UserInterfaceIdiom::desktop, noDisplay);
  EXPECT_TRUE(second->startupFinished());
  EXPECT_EQ(second->profileServer(), nullptr);
  ASSERT_EQ(env.sink->lines().size(), 3u);
  EXPECT_EQ(env.sink->lines()[2].rfind("setup profile server error: ", 0), 0u) << env.sink->lines()[2];
}

TEST_F(Launch, PhonePermissionStep) {
  // Colour flags: nothing to probe, the flag is set.
  launch(platform::UserInterfaceIdiom::phone, noDisplay);
  EXPECT_TRUE(permission());

  // Grey flags: the probe page decides; only 200 counts.
  ASSERT_TRUE(env.core->sharedPreferences.setNetworkPermissionRequested(false));
  env.http.answer("GET", "/hotspot-detect.html", test::ScriptedReply::text(204, ""));
  launch(platform::UserInterfaceIdiom::phone, grey);
  ASSERT_TRUE(env.settle([&] { return env.http.requests().size() == 1; }));
  env.loop.runUntil([] { return false; }, std::chrono::milliseconds(100));
  EXPECT_FALSE(permission());

  env.http.answer("GET", "/hotspot-detect.html", test::ScriptedReply::text(200, "Success"));
  launch(platform::UserInterfaceIdiom::phone, grey);
  ASSERT_TRUE(env.settle([&] { return permission(); }));
  const auto probes = env.http.requests().size();
  launch(platform::UserInterfaceIdiom::phone, grey);
  env.loop.runUntil([] { return false; }, std::chrono::milliseconds(100));
  EXPECT_EQ(env.http.requests().size(), probes) << "once the flag is set no probe goes out";
}

}  // namespace
}  // namespace corvane::app
