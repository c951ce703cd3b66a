#include "screens/connect_device_view.h"

#include <gtest/gtest.h>

#include "common/screen_env.h"

namespace corvane::screens {
namespace {

class DevicesTest : public ::testing::Test {
 protected:
  DevicesTest() {
    env.preferences.set(keys::pref::username, "ada@example.org");
    env.preferences.set(keys::pref::password, "secret");
    (void)env.keychain.setString("0f8fad5b-d9cb-469f-a165-70867728950e", "UUID");
  }
  void appearAndSettle() {
    view.appear();
    ASSERT_TRUE(env.settle([&] { return !view.loading; }));
  }

  test::ScreenEnv env;
  ConnectDeviceView view{env.services()};
};

TEST_F(DevicesTest, EveryAppearanceQueriesAndReplacesOrKeepsTheList) {
  env.answer("get-logged-in-devices",
             R"({"status_code":200,"data":[{"brand":"apple","model":"x86_64","os_name":"Linux",)"
             R"("os_version":"12"},{"model":"arm64","os_name":"Linux","os_version":"13"}]})");
  appearAndSettle();
  ASSERT_EQ(view.devices.size(), 2u);
  const auto first = ConnectDeviceView::card(view.devices[0]);
  EXPECT_EQ(first.brand, "APPLE");
  EXPECT_EQ(first.osVersion, "12");
  const auto second = ConnectDeviceView::card(view.devices[1]);
  EXPECT_EQ(second.brand, "");  // absent brand: empty first line, the rest still shown
  EXPECT_EQ(second.model, "arm64");
  const auto body = env.posts("get-logged-in-devices")[0].body;
  EXPECT_NE(body.find("0f8fad5b-d9cb-469f-a165-70867728950e"), std::string::npos);
  // The log shows the device identifier masked only.
  for (const auto& line : env.sink->lines()) {
    EXPECT_EQ(line.find("70867728950e"), std::string::npos) << line;
  }

  // A failed query keeps the list; nothing is shown.
  env.answer("get-logged-in-devices", "nope", 500);
  appearAndSettle();
  EXPECT_EQ(view.devices.size(), 2u);
  EXPECT_TRUE(view.lastError.has_value());

  // A reply without "data" empties it.
  env.answer("get-logged-in-devices", R"({"status_code":200})");
  appearAndSettle();
  EXPECT_TRUE(view.devices.empty());
  EXPECT_EQ(env.posts("get-logged-in-devices").size(), 3u);
}

}  // namespace
}  // namespace corvane::screens
