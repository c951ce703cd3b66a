// ApiClient against the real reference backend: discovery over HTTPS with the backend's own
// CA, then the account and service flows a user goes through, each on a fresh account.
#include <gtest/gtest.h>

#include <atomic>

#include "api/support/api_harness.h"
#include "api/support/backend_suite.h"
#include "api/support/eventually.h"
#include "keys/preference_key.h"

namespace corvane::api {
namespace {

namespace Key = keys::pref;

constexpr const char* kDemoUser = "demo@corvane.test";
constexpr const char* kDemoPassword = "corvane-demo-2026";

class ClientWithBackend : public test::BackendSuite<> {
 protected:
  // A client that discovered the backend the way the app does at start-up.
  std::unique_ptr<test::ApiHarness> discoveredClient() {
    auto harness = std::make_unique<test::ApiHarness>(backend_->apiHost(), backend_->caFile());
    EXPECT_TRUE(harness->fetchLinks());
    return harness;
  }
  // A new account, signed up through the client.
  std::string newAccount(test::ApiHarness& harness, const std::string& password) {
    static std::atomic<int> counter{0};
    const std::string name = "user" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + "@corvane.test";
    auto made = harness.signUp(name, password, password, name);
    EXPECT_TRUE(made) << made.error().toString();
    return name;
  }
};

TEST_F(ClientWithBackend, DiscoveryFindsTheApiDomainAndTheAnnouncements) {
  auto harness = discoveredClient();
  EXPECT_EQ(harness->preferences().stringForKey(Key::domainLink.key), backend_->domain());
  EXPECT_TRUE(harness->logged("Successfully set domain_link to: " + backend_->domain()));
  EXPECT_TRUE(harness->preferences().stringForKey(Key::aboutUsLink.key));
  EXPECT_TRUE(harness->preferences().stringForKey(Key::whatsappLink.key));

  harness->client().fetchAnnouncements();
  EXPECT_TRUE(test::eventually([&] { return harness->preferences().stringForKey(Key::announcementTwo.key).has_value(); }));
  EXPECT_TRUE(harness->preferences().stringForKey(Key::announcementOne.key));
}

TEST_F(ClientWithBackend, DemoLoginReturnsTheCatalogueAndAWrongPasswordIsRefused) {
  auto harness = discoveredClient();
  auto user = harness->login(kDemoUser, kDemoPassword);
  ASSERT_TRUE(user) << user.error().toString();
  EXPECT_EQ(user->responseCode, 1);
  ASSERT_TRUE(user->ipBundle);
  EXPECT_GE(user->ipBundle->size(), 60u);
  EXPECT_EQ(harness->preferences().stringForKey(Key::loginmessage.key), user->message);
  EXPECT_EQ(harness->preferences().stringForKey(Key::anntitle.key), user->annTitle);

  auto refused = harness->login(kDemoUser, "not the password");
  ASSERT_FALSE(refused);
  EXPECT_EQ(refused.error().domain, "verficationError");
  EXPECT_NE(refused.error().code, 1);
}

TEST_F(ClientWithBackend, SignUpRefusesATakenNameAndDifferingPasswords) {
  auto harness = discoveredClient();
  const std::string name = newAccount(*harness, "first-pass-1");
  EXPECT_TRUE(harness->preferences().stringForKey(Key::signupmsg.key));

  auto taken = harness->signUp(name, "other-pass-1", "other-pass-1", name);
  ASSERT_FALSE(taken);
  EXPECT_EQ(taken.error().domain, "verficationError");
  EXPECT_GE(taken.error().code, 400);
  EXPECT_LT(taken.error().code, 500);

  auto differing = harness->signUp("x" + name, "pass-one-1", "pass-two-2", "x" + name);
  ASSERT_FALSE(differing);
  EXPECT_EQ(differing.error().domain, "verficationError");
}

TEST_F(ClientWithBackend, PasswordResetWithTheMailedCodeChangesThePassword) {
  auto harness = discoveredClient();
  const std::string name = newAccount(*harness, "before-reset-1");
  ASSERT_TRUE(harness->requestPasswordReset(name));
  EXPECT_TRUE(harness->preferences().stringForKey(Key::forgetpassmsg.key));
  const auto code = backend_->resetCode(name);
  ASSERT_TRUE(code);

  auto wrongCode = harness->resetPassword(name, *code == "000000" ? "111111" : "000000", "after-reset-1", "after-reset-1");
  ASSERT_FALSE(wrongCode);
  EXPECT_EQ(wrongCode.error().domain, "verficationError");

  auto reset = harness->resetPassword(name, *code, "after-reset-1", "after-reset-1");
  ASSERT_TRUE(reset) << reset.error().toString();
  EXPECT_TRUE(harness->preferences().stringForKey(Key::resetpasswordmsg.key));
  EXPECT_FALSE(harness->login(name, "before-reset-1"));
  EXPECT_TRUE(harness->login(name, "after-reset-1"));
}

TEST_F(ClientWithBackend, DevicesWireGuardAndSignOut) {
  auto harness = discoveredClient();
  const std::string password = "pa)ss-with-paren";  // sent unchanged by every operation
  const std::string name = newAccount(*harness, password);
  auto user = harness->login(name, password);
  ASSERT_TRUE(user) << user.error().toString();
  const std::string udid = *harness->keychain().stringForKey("UUID");

  auto devices = harness->fetchLoggedInDevices(name, password, udid);
  ASSERT_TRUE(devices) << devices.error().toString();
  const auto hasThisDevice = [&](const DeviceResponse& response) {
    for (const auto& device : *response.data) {
      if (device.udid == udid) return true;
    }
    return false;
  };
  EXPECT_TRUE(hasThisDevice(*devices));

  // A WireGuard server of the catalogue (type 5) gives a wg-quick text under "Config".
  const IPBundle* wireGuard = nullptr;
  for (const auto& server : *user->ipBundle) {
    if (server.type == 5) wireGuard = &server;
  }
  ASSERT_NE(wireGuard, nullptr);
  harness->preferences().setString(Key::username.key, name);
  harness->preferences().setString(Key::password.key, password);
  auto config = harness->fetchWireGuardConfig(wireGuard->vpnServerID.value_or(0), wireGuard->ipID.value_or(0), 1);
  ASSERT_TRUE(config) << config.error().toString();
  const auto stored = harness->preferences().stringForKey(Key::config.key);
  ASSERT_TRUE(stored);
  EXPECT_NE(stored->find("[Interface]"), std::string::npos);

  harness->client().setPinOffline(name, password, udid);
  EXPECT_TRUE(test::eventually([&] {
    auto now = harness->fetchLoggedInDevices(name, password, udid);
    return now && !hasThisDevice(*now);
  }));
}

}  // namespace
}  // namespace corvane::api
