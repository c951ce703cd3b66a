// What must survive the daemon: managers kept per uid in a private file, the record of the
// running tunnel, and the resolv.conf a tunnel replaced (put back by a later daemon). Also
// the firewall text, which must never carry anything but addresses it understood.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include "daemon/dns/resolv_conf_dns.h"
#include "daemon/firewall/nft_ruleset.h"
#include "daemon/state/state_store.h"

namespace corvane::daemon {
namespace {

class Scratch {
 public:
  Scratch() {
    char pattern[] = "/tmp/corvane-daemon-unit-XXXXXX";
    path_ = mkdtemp(pattern);
  }
  ~Scratch() { std::filesystem::remove_all(path_); }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

std::string readAll(const std::filesystem::path& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

mode_t modeOf(const std::filesystem::path& path) {
  struct stat st {};
  stat(path.c_str(), &st);
  return st.st_mode & 07777;
}

TEST(StateStore, KeepsManagersPerUidInAPrivateFile) {
  Scratch scratch;
  auto folder = scratch.path() / "state";
  {
    auto store = state::StateStore::open(folder);
    ASSERT_TRUE(store);
    platform::tunneld::Manager manager;
    manager.onDemandEnabled = true;
    manager.providerConfiguration["ovpn"] = "client\n";
    auto saved = (*store)->save(1000, manager);
    ASSERT_TRUE(saved);
    ASSERT_TRUE(saved->id);
    // Another uid can neither see, change nor remove it.
    EXPECT_TRUE((*store)->managers(1001)->empty());
    EXPECT_FALSE((*store)->save(1001, *saved));
    EXPECT_FALSE(*(*store)->remove(1001, *saved->id));
    EXPECT_FALSE((*store)->onDemandManager(1001));
    ASSERT_TRUE((*store)->saveRun({1000, "wireguard", "[Interface]\n", "n", "", "profile"}));
  }
  EXPECT_EQ(modeOf(folder), 0700u);
  EXPECT_EQ(modeOf(folder / "tunneld.db"), 0600u);
  auto store = state::StateStore::open(folder);
  ASSERT_TRUE(store);
  auto managers = (*store)->managers(1000);
  ASSERT_EQ(managers->size(), 1u);
  EXPECT_EQ(managers->front().providerConfiguration.at("ovpn"), "client\n");
  EXPECT_TRUE((*store)->onDemandManager(1000));
  ASSERT_TRUE((*store)->run());
  EXPECT_EQ((*store)->run()->engine, "wireguard");
  ASSERT_TRUE((*store)->clearRun());
  EXPECT_FALSE((*store)->run());
}

TEST(ResolvConfDns, ALaterDaemonPutsBackWhatACrashedOneReplaced) {
  Scratch scratch;
  auto resolv = scratch.path() / "resolv.conf";
  auto backup = scratch.path() / "backup";
  std::ofstream(resolv) << "nameserver 192.0.2.53\n";
  struct stat before {};
  stat(resolv.c_str(), &before);
  {
    dns::ResolvConfDns dns(resolv, backup);
    ASSERT_TRUE(dns.apply({{"10.77.0.1"}, {"corp.example"}, "wg0"}));
    // A reconnect applies again: the backup must still hold the original.
    ASSERT_TRUE(dns.apply({{"10.77.0.1"}, {}, "wg0"}));
    EXPECT_NE(readAll(resolv).find("nameserver 10.77.0.1"), std::string::npos);
    EXPECT_EQ(modeOf(backup), 0600u);
  }  // the daemon "crashes" here: no restore
  dns::ResolvConfDns later(resolv, backup);
  ASSERT_TRUE(later.restore());
  EXPECT_EQ(readAll(resolv), "nameserver 192.0.2.53\n");
  EXPECT_FALSE(std::filesystem::exists(backup));
  struct stat after {};
  stat(resolv.c_str(), &after);
  EXPECT_EQ(before.st_ino, after.st_ino) << "written in place, never renamed over";
  EXPECT_TRUE(later.restore()) << "nothing to restore is not an error";
}

// A manager's password is write-only: kept apart from the record lists send back, kept when a
// later save leaves it out, cleared by an empty one, and gone with its manager.
TEST(StateStore, KeepsAManagersPasswordApartFromWhatIsListed) {
  Scratch scratch;
  auto store = state::StateStore::open(scratch.path() / "state");
  ASSERT_TRUE(store);
  platform::tunneld::Manager manager;
  manager.username = "alice";
  manager.password = "s3cret";
  auto saved = (*store)->save(1000, manager);
  ASSERT_TRUE(saved && saved->id);
  EXPECT_FALSE(saved->password);
  EXPECT_FALSE((*store)->managers(1000)->front().password);
  EXPECT_EQ((*store)->password(1000, *saved->id), "s3cret");
  EXPECT_FALSE((*store)->password(1001, *saved->id)) << "another uid reads it";
  saved->onDemandEnabled = true;
  ASSERT_TRUE((*store)->save(1000, *saved));
  EXPECT_EQ((*store)->password(1000, *saved->id), "s3cret") << "a save without a password keeps it";
  saved->password = "";
  ASSERT_TRUE((*store)->save(1000, *saved));
  EXPECT_FALSE((*store)->password(1000, *saved->id));
  saved->password = "again";
  ASSERT_TRUE((*store)->save(1000, *saved));
  ASSERT_TRUE((*store)->remove(1000, *saved->id));
  EXPECT_FALSE((*store)->password(1000, *saved->id));
}

TEST(NftRuleset, OpensOnlyWhatThePolicyNames) {
  firewall::FirewallPolicy block;
  block.serverEndpoints = {{"192.0.2.1", 51820, engine::ServerEndpoint::Transport::udp},
                           {"2001:db8::1", 443, engine::ServerEndpoint::Transport::tcp},
                           {"1.2.3.4; flush ruleset", 1, engine::ServerEndpoint::Transport::udp}};
  block.engineMark = 0xca77;
  block.probeMark = 0xca78;
  auto text = firewall::nftRuleset(block);
  EXPECT_NE(text.find("policy drop;"), std::string::npos);
  EXPECT_NE(text.find("ip daddr 192.0.2.1 udp dport 51820 meta mark 0xca77 accept"), std::string::npos) << text;
  EXPECT_NE(text.find("ip6 daddr 2001:db8::1 tcp dport 443 meta mark 0xca77 accept"), std::string::npos) << text;
  EXPECT_EQ(text.find("flush"), std::string::npos) << "an endpoint that is not an address must not reach nft";
  EXPECT_EQ(text.find("oifname \"wg"), std::string::npos);
  firewall::FirewallPolicy guard = block;
  guard.tunnelInterface = "corvane0";
  guard.probeMark.reset();
  auto up = firewall::nftRuleset(guard);
  EXPECT_NE(up.find("oifname \"corvane0\" accept"), std::string::npos);
  EXPECT_EQ(up.find("0xca78"), std::string::npos);
}

}  // namespace
}  // namespace corvane::daemon
