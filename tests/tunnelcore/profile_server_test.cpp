// The profile server over its real socket.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <nlohmann/json.hpp>
#include <thread>

#include "platform/log/log.h"
#include "tunnelcore/profile_server.h"
#include "tunnelcore/profile_server_client.h"
#include "tunnelcore/support/core_env.h"

namespace corvane::tunnelcore {
namespace {

struct Served : ::testing::Test {
  test::CoreEnv env;
  std::unique_ptr<ProfileServer> server;

  void SetUp() override {
    auto made = ProfileServer::create(env.folders, *env.profiles, *env.preferences, env.loop, platform::Log::null());
    ASSERT_TRUE(made) << made.error().toString();
    server = std::move(*made);
    server->start();
  }
  // Asks from another thread while this one drives the loop, as another process would.
  Result<std::string> ask(const std::string& request) {
    std::optional<Result<std::string>> answer;
    std::thread client([&] { answer = askProfileServer(env.folders.profileServerSocket(), request); });
    env.loop.runUntil([&] { return answer.has_value(); }, std::chrono::seconds(5));
    client.join();
    return *answer;
  }
};

TEST_F(Served, ListsAndPreviewsWithoutContent) {
  env.addProfile(12345, "[Peer]\nPublicKey = secretish\n");
  ASSERT_TRUE(env.preferences->setSelectedProfileID(12345));

  const auto list = nlohmann::json::parse(*ask("list"));
  EXPECT_EQ(list["selectedProfileID"], 12345);
  ASSERT_EQ(list["profiles"].size(), 1u);
  EXPECT_EQ(list["profiles"][0]["name"], "Corvane");

  const std::string preview = *ask("preview 12345");
  EXPECT_EQ(preview.find("secretish"), std::string::npos);
  const auto p = nlohmann::json::parse(preview);
  EXPECT_EQ(p["engine"], "wireguard");
  EXPECT_EQ(p["bytes"], 29);

  for (const std::string bad : {"preview 9", "preview x1", "delete 12345", ""}) {
    const auto answer = nlohmann::json::parse(*ask(bad));
    EXPECT_TRUE(answer.contains("error")) << bad;
  }
  struct stat st {};
  ASSERT_EQ(::stat(env.folders.profileServerSocket().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(Served, OneServerPerUserAndStaleSocketsReplaced) {
  auto second = ProfileServer::create(env.folders, *env.profiles, *env.preferences, env.loop, platform::Log::null());
  EXPECT_FALSE(second) << "a second server must not steal the running one's socket";
  server.reset();
  EXPECT_FALSE(std::filesystem::exists(env.folders.profileServerSocket())) << "a server removes its socket";

  // A socket file nobody listens on, as a crash leaves it.
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strcpy(address.sun_path, env.folders.profileServerSocket().c_str());
  ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ::close(fd);
  auto replacing = ProfileServer::create(env.folders, *env.profiles, *env.preferences, env.loop, platform::Log::null());
  EXPECT_TRUE(replacing);
}

TEST_F(Served, SilentAndOverlongClientsAreCutOff) {
  const int silent = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strcpy(address.sun_path, env.folders.profileServerSocket().c_str());
  ASSERT_EQ(::connect(silent, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  env.loop.pollWatches(std::chrono::milliseconds(100));
  env.loop.advance(platform::seconds(2.0));
  char byte;
  EXPECT_EQ(::read(silent, &byte, 1), 0) << "closed after 2 s of silence";
  ::close(silent);

  const int chatty = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_EQ(::connect(chatty, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  const std::string flood(ProfileServer::kMaxRequestBytes + 10, 'a');
  ASSERT_EQ(::write(chatty, flood.data(), flood.size()), static_cast<ssize_t>(flood.size()));
  for (int i = 0; i < 5; ++i) env.loop.pollWatches(std::chrono::milliseconds(50));
  EXPECT_LE(::read(chatty, &byte, 1), 0) << "closed (or reset: bytes were left unread) without an answer";
  ::close(chatty);
}

}  // namespace
}  // namespace corvane::tunnelcore
