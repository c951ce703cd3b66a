// Remote profiles refreshed over HTTPS from a scriptable loopback server.
#include <gtest/gtest.h>

#include <future>

#include "api/support/script_server.h"
#include "api/support/test_pki.h"
#include "platform/log/log.h"
#include "platform/url/curl_url_loader.h"
#include "tunnelcore/remote_profile_updater.h"
#include "tunnelcore/support/core_env.h"

namespace corvane::tunnelcore {
namespace {

const WallClock::time_point kNow{std::chrono::seconds(1'800'000'000)};

struct RemoteUpdate : ::testing::Test {
  test::CoreEnv env;
  test::TestPki pki;
  test::ScriptServer https{pki.issue({"IP:127.0.0.1"})};
  platform::CurlUrlLoader loader{platform::CurlUrlLoader::Options{.extraCaFile = pki.writeCaFile(env.home())},
                                 platform::Log::null()};
  RemoteProfileUpdater updater{loader, *env.profiles, env.folders, [] { return kNow; }};

  Profile remote(const std::string& url) {
    Profile p;
    p.id = 40;
    p.name = "remote";
    p.type = ProfileType::remote;
    p.remoteURL = url;
    p.autoUpdate = true;
    EXPECT_TRUE(env.profiles->create(p));
    return p;
  }
  Result<Profile> update(Profile p) {
    std::promise<Result<Profile>> done;
    updater.updateRemoteProfile(std::move(p), [&](Result<Profile> r) { done.set_value(std::move(r)); });
    return done.get_future().get();
  }
};

TEST_F(RemoteUpdate, StoresTheContentAndTheTimeItWasFetched) {
  https.answer("GET", "/p", test::ScriptedReply::text(200, "[Peer]\nEndpoint = 10.0.0.1:51820\n"));
  auto updated = update(remote(https.url("/p")));
  ASSERT_TRUE(updated) << updated.error().toString();
  EXPECT_EQ(*updated->read(), "[Peer]\nEndpoint = 10.0.0.1:51820\n");
  EXPECT_EQ(updated->path, (env.folders.configsDirectory() / "config_40.json").string());
  auto stored = env.profiles->get(40);
  ASSERT_TRUE(stored && stored->has_value());
  EXPECT_EQ((*stored)->lastUpdated, kNow);
  EXPECT_EQ((*stored)->path, updated->path);
}

TEST_F(RemoteUpdate, FailuresLeaveContentAndRecordAsTheyWere) {
  const std::string big(Profile::kMaxContentBytes + 1, 'x');
  https.answer("GET", "/gone", test::ScriptedReply::text(404, "no"));
  https.answer("GET", "/empty", test::ScriptedReply(200));
  https.answer("GET", "/big", test::ScriptedReply::text(200, big));
  test::ScriptServer plain;
  plain.answer("GET", "/p", test::ScriptedReply::text(200, "[Peer]\n"));
  test::ScriptServer untrusted{test::TestPki::selfSigned({"IP:127.0.0.1"})};
  untrusted.answer("GET", "/p", test::ScriptedReply::text(200, "[Peer]\n"));

  Profile p = remote("https://x.test/");
  p.path = (env.folders.configsDirectory() / "config_40.json").string();
  ASSERT_TRUE(p.write("old"));
  ASSERT_TRUE(env.profiles->update(p));

  for (const std::string& url : {https.url("/gone"), https.url("/empty"), https.url("/big"), plain.url("/p"),
                                 untrusted.url("/p"), std::string("not a url")}) {
    Profile attempt = p;
    attempt.remoteURL = url;
    EXPECT_FALSE(update(attempt)) << url;
    EXPECT_EQ(*p.read(), "old") << url;
    EXPECT_FALSE((*env.profiles->get(40))->lastUpdated.has_value()) << url;
  }
  EXPECT_TRUE(plain.requests().empty()) << "plain HTTP is refused before anything is sent";
}

}  // namespace
}  // namespace corvane::tunnelcore
