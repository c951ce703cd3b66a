// The road a user walks, per protocol, with corvanectl as a black box: the reference backend
// (on the client namespace's loopback) serves a catalogue whose one server is a real engine
// server in the server namespace; corvane-tunneld runs on a test socket. login → protocol →
// select → connect → a request through the tunnel → status (Connected, traffic under load) →
// disconnect, and nothing is left behind.
#include <gtest/gtest.h>

#include <sstream>

#include "daemon/support/command.h"
#include "daemon/support/skip_or_fail.h"
#include "e2e/support/user_walk.h"
#include "platform/process/process.h"

namespace corvane::e2e {
namespace {

using daemon::testing::runIn;
using namespace std::chrono_literals;

struct Road {
  Protocol protocol;
  const char* name;        // corvanectl's protocol word
  const char* shown;       // the dashboard's protocol row
  const char* server;      // the catalogue's server name
  const char* exitPrefix;  // how the address the echo sees through the tunnel starts
};

const Road kRoads[] = {
    {Protocol::wireGuard, "wireguard", "WireGuard", "Lab WireGuard", "10.66."},  // the backend's peer range
    {Protocol::openVpn, "openvpn", "OpenVPN", "Lab OpenVPN", "10.8.0."},
    {Protocol::shadowsocks, "shadowsocks", "Shadowshocks", "Lab Shadowsocks", "10.79.0.1"},
    {Protocol::v2ray, "v2ray", "V2ray", "Lab V2ray", "10.79.0.1"},
};

std::string echoThroughTunnel(const ProtocolSite& site) {
  std::string answer;
  // A proxy engine's server may take a moment to take its first connection.
  for (int attempt = 0; attempt < 3 && answer.empty(); ++attempt) {
    answer = runIn(site.clientNamespace(), {"curl", "-s", "--max-time", "3", site.echoUrl()}).out;
  }
  return answer;
}

// Every JSON line `status --watch --json` printed.
std::vector<nlohmann::json> jsonLines(const std::string& out) {
  std::vector<nlohmann::json> lines;
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);) {
    auto parsed = nlohmann::json::parse(line, nullptr, false);
    if (!parsed.is_discarded()) lines.push_back(std::move(parsed));
  }
  return lines;
}

class CorvanectlRoad : public ::testing::TestWithParam<Road> {};

TEST_P(CorvanectlRoad, LoginSelectConnectCarryReportDisconnect) {
  const Road& road = GetParam();
  UserWalk w;
  // The kill switch stays off here, so its probe is never asked.
  const std::string why = w.prepare(road.protocol, "http://127.0.0.1:1/");
  if (!why.empty()) CORVANE_SKIP_OR_FAIL(why);
  const std::string notChosen = w.choose(road.name, road.server);
  ASSERT_EQ(notChosen, "");
  const auto& ns = w.site->clientNamespace();

  std::string failure;
  auto up = w.run({"connect", "--json"}, &failure);
  ASSERT_EQ(up.exitCode, 0) << failure;
  EXPECT_EQ(up.json["status"], "Connected") << up.out;
  EXPECT_EQ(up.json["protocol"], road.shown);
  EXPECT_EQ(up.json["server"], road.server);

  const std::string exit = echoThroughTunnel(*w.site);
  EXPECT_EQ(exit.rfind(road.exitPrefix, 0), 0u) << "through the tunnel the echo saw `" << exit << "'\n"
                                                << w.site->daemonLog();
  EXPECT_EQ(up.json["address"], exit) << "the dashboard's address is the tunnel's exit";

  // Under load the speeds leave "0 B/s": requests through the tunnel while status watches.
  platform::ProcessOptions load;
  load.argv = {"ip", "netns", "exec", ns, "curl", "-s", "--max-time", "4"};
  for (int i = 0; i < 400; ++i) load.argv.push_back(w.site->echoUrl());
  load.stdoutStream = platform::ChildStream::devNull();
  auto loading = platform::Process::start(std::move(load));
  ASSERT_TRUE(loading);
  auto watched = w.run({"status", "--watch", "--for", "2.5", "--json"}, &failure);
  (void)loading->stop(1s);
  ASSERT_EQ(watched.exitCode, 0) << failure;
  const auto lines = jsonLines(watched.out);
  ASSERT_FALSE(lines.empty()) << watched.out;
  bool moving = false;
  for (const auto& line : lines) {
    EXPECT_EQ(line["status"], "Connected") << line.dump();
    moving = moving || (line.value("download", "0 B/s") != "0 B/s" && line.value("upload", "0 B/s") != "0 B/s");
  }
  EXPECT_TRUE(moving) << "no line showed traffic both ways:\n" << watched.out;

  auto down = w.run({"disconnect", "--json"}, &failure);
  ASSERT_EQ(down.exitCode, 0) << failure;
  EXPECT_EQ(down.json["status"], "Disconnected") << down.out;
  // Down, the address is the outer one once the echo answers, and never the tunnel's.
  EXPECT_NE(down.json["address"], up.json["address"]) << down.out;
  EXPECT_FALSE(runIn(ns, {"ip", "link", "show", w.site->tunnelInterface()}).ok) << "the tunnel interface is left";
  EXPECT_EQ(runIn(ns, {"nft", "list", "tables"}).out.find("corvane"), std::string::npos) << "a firewall table is left";
  EXPECT_EQ(daemon::testing::run({"cat", w.site->resolvConfPath()}).out, w.site->resolvConf());
}

// A log-out leaves the tunnel up: disconnect still takes it down, with no account to use.
TEST(CorvanectlSignedOut, DisconnectTakesDownATunnelALogOutLeftUp) {
  UserWalk w;
  const std::string why = w.prepare(Protocol::wireGuard, "http://127.0.0.1:1/");
  if (!why.empty()) CORVANE_SKIP_OR_FAIL(why);
  ASSERT_EQ(w.choose("wireguard", "Lab WireGuard"), "");
  std::string failure;
  ASSERT_EQ(w.run({"connect", "--json"}, &failure).exitCode, 0) << failure;
  ASSERT_EQ(w.run({"logout"}, &failure).exitCode, 0) << failure;
  EXPECT_NE(w.run({"connect"}, &failure).exitCode, 0) << "connect needs a signed-in user";

  auto down = w.run({"disconnect", "--json"}, &failure);
  ASSERT_EQ(down.exitCode, 0) << failure;
  EXPECT_EQ(down.json["status"], "Disconnected") << down.out;
  EXPECT_FALSE(runIn(w.site->clientNamespace(), {"ip", "link", "show", w.site->tunnelInterface()}).ok)
      << "the tunnel interface is left";
}

INSTANTIATE_TEST_SUITE_P(Protocols, CorvanectlRoad, ::testing::ValuesIn(kRoads),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace corvane::e2e
