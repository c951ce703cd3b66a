// The tunnel's DNS where systemd-resolved is the resolver, against the real resolved (Debian's
// binary, confined to the test's namespaces): which way the daemon chooses, what the tunnel's
// link holds, where a query through the stub goes while a tunnel is up and after it ends
// (stopped, or the daemon killed and started again) for the engines with a link of their own,
// and that the transparent-proxy engines, which have no link, still carry the stub's queries
// through the tunnel.
#include <gtest/gtest.h>
#include <sched.h>
#include <signal.h>

#include <fcntl.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "daemon/dns/host_dns.h"
#include "daemon/support/command.h"
#include "daemon/support/engine_servers.h"
#include "daemon/support/packet_capture.h"
#include "daemon/support/proxy_testbed.h"
#include "daemon/support/resolved_instance.h"
#include "daemon/support/skip_or_fail.h"
#include "daemon/support/tunneld_client.h"
#include "daemon/support/wireguard_testbed.h"

namespace corvane::daemon::testing {
namespace {

using namespace std::chrono_literals;
using namespace platform::tunneld;
using Strings = std::vector<std::string>;

// What the DNS responders answer: which one answered shows which way the query went.
constexpr const char* kOutsideAnswer = "192.0.2.10";
constexpr const char* kTunnelAnswer = "198.51.100.7";

std::string readAll(const std::filesystem::path& path) {
  std::ifstream file(path);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

Request simple(Op op) {
  Request request;
  request.op = op;
  return request;
}

Request startProfile(const std::string& engine, const std::string& content) {
  Request request = simple(Op::start);
  request.profile = Profile{engine, content, "test"};
  return request;
}

// The first look-up may race the responders' start: a few tries, each bounded by the stub's
// resolv.conf (2 s, one attempt).
std::string lookUpSoon(const std::string& netns, const std::string& name) {
  std::string answer;
  for (int attempt = 0; attempt < 3 && answer.empty(); ++attempt) answer = ResolvedInstance::lookUp(netns, name);
  return answer;
}

// Captured packets (tcpdump lines) that are DNS queries to `address` in the clear.
int queriesTo(const std::vector<std::string>& lines, const std::string& address) {
  int count = 0;
  for (const auto& line : lines) count += line.find("> " + address + ".53:") != std::string::npos ? 1 : 0;
  return count;
}

// ---- which resolv.conf means resolved's stub ------------------------------------------------

struct StubCase {
  const char* name;
  const char* linkTarget;  // resolv.conf is this link when set, else a file holding `content`
  const char* content;
  bool stub;
};

const StubCase kStubCases[] = {
    {"StubLink", "../run/systemd/resolve/stub-resolv.conf", "", true},
    {"UplinkLink", "/run/systemd/resolve/resolv.conf", "", true},
    {"OtherLink", "/etc/resolvconf/run/resolv.conf", "", false},
    {"StubFile", nullptr, "# generated\nnameserver 127.0.0.53\noptions edns0 trust-ad\nsearch lan\n", true},
    {"BothStubs", nullptr, "nameserver 127.0.0.53\nnameserver 127.0.0.54\n", true},
    {"StubAndAnother", nullptr, "nameserver 127.0.0.53\nnameserver 192.0.2.1\n", false},
    {"ForeignServer", nullptr, "nameserver 192.0.2.1\n", false},
    {"NoServer", nullptr, "search lan\n", false},
};

class ResolvConfStub : public ::testing::TestWithParam<StubCase> {};

TEST_P(ResolvConfStub, IsRecognised) {
  const StubCase& c = GetParam();
  char pattern[] = "/tmp/corvane-stub-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::filesystem::path dir = pattern, resolv = dir / "resolv.conf";
  if (c.linkTarget) {
    std::filesystem::create_symlink(c.linkTarget, resolv);
  } else {
    std::ofstream(resolv) << c.content;
  }
  EXPECT_EQ(dns::ResolvedDns::pointsAtStub(resolv), c.stub);
  EXPECT_FALSE(dns::ResolvedDns::pointsAtStub(dir / "missing"));
  std::filesystem::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(Files, ResolvConfStub, ::testing::ValuesIn(kStubCases),
                         [](const auto& info) { return info.param.name; });

// ---- the daemon's DNS part against resolved, on a link of a test namespace -----------------

// Moves the calling thread into a network namespace until destroyed (link names resolve there).
class InNamespace {
 public:
  explicit InNamespace(const std::string& name) {
    home_ = open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
    const int target = open(("/run/netns/" + name).c_str(), O_RDONLY | O_CLOEXEC);
    entered_ = home_ >= 0 && target >= 0 && setns(target, CLONE_NEWNET) == 0;
    if (target >= 0) close(target);
  }
  ~InNamespace() {
    if (entered_) setns(home_, CLONE_NEWNET);
    if (home_ >= 0) close(home_);
  }
  bool entered() const { return entered_; }

 private:
  int home_ = -1;
  bool entered_ = false;
};

struct LinkCase {
  const char* name;
  const char* resolvConf;
  Strings servers, search;
  Strings linkServers, linkDomains;  // what resolved then holds for the link
  bool fileRewritten;
};

const LinkCase kLinkCases[] = {
    {"OneServer", "nameserver 127.0.0.53\n", {"10.88.0.1"}, {}, {"10.88.0.1"}, {"~."}, false},
    {"BothFamiliesAndASearchDomain", "nameserver 127.0.0.53\n", {"10.88.0.1", "fd88::1"}, {"corp.example"},
     {"10.88.0.1", "fd88::1"}, {"~.", "corp.example"}, false},
    // resolved runs, but resolv.conf names another server: programs read that file, and
    // resolved reads it too, so the file is what changes.
    {"ForeignResolvConf", "nameserver 192.0.2.1\n", {"10.88.0.1"}, {}, {}, {}, true},
};

class ResolvedHostDns : public ::testing::TestWithParam<LinkCase> {};

TEST_P(ResolvedHostDns, ChoosesResolvedByResolvConfAndRevertsTheLink) {
  const LinkCase& c = GetParam();
  if (geteuid() != 0) GTEST_SKIP() << "needs root to make network namespaces";
  NetNamespace netns("r", "nameserver 127.0.0.53\n");
  ASSERT_TRUE(netns.ok());
  char pattern[] = "/tmp/corvane-resolved-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::filesystem::path scratch = pattern;
  std::string whyNot;
  auto resolved = ResolvedInstance::start(netns, scratch, &whyNot);
  if (!resolved) {
    std::filesystem::remove_all(scratch);
    CORVANE_SKIP_OR_FAIL(whyNot);
  }
  ASSERT_TRUE(run({"ip", "-n", netns.name(), "link", "add", "cvr0", "type", "veth", "peer", "name", "cvr1"}).ok);
  ASSERT_TRUE(run({"ip", "-n", netns.name(), "link", "set", "cvr0", "up"}).ok);
  const int index = ResolvedInstance::linkIndex(netns.name(), "cvr0");
  const auto resolv = scratch / "resolv.conf";
  std::ofstream(resolv) << c.resolvConf;
  setenv("DBUS_SYSTEM_BUS_ADDRESS", resolved->busAddress().c_str(), 1);
  {
    InNamespace inside(netns.name());
    ASSERT_TRUE(inside.entered());
    dns::HostDns dns(resolv, scratch / "backup");
    auto applied = dns.apply({c.servers, c.search, "cvr0"});
    ASSERT_TRUE(applied) << applied.error().description << resolved->log();
    auto held = resolved->link(index);
    ASSERT_TRUE(held);
    EXPECT_EQ(held->servers, c.linkServers);
    EXPECT_EQ(held->domains, c.linkDomains);
    EXPECT_EQ(held->defaultRoute, !c.linkServers.empty());
    EXPECT_EQ(readAll(resolv) != c.resolvConf, c.fileRewritten);

    ASSERT_TRUE(dns.restore());
    held = resolved->link(index);
    ASSERT_TRUE(held);
    EXPECT_EQ(held->servers, Strings{});
    EXPECT_EQ(held->domains, Strings{});
    EXPECT_FALSE(held->defaultRoute);
    EXPECT_EQ(readAll(resolv), c.resolvConf);

    // A link gone before the revert (the engine deleted it) leaves nothing to revert.
    ASSERT_TRUE(dns.apply({c.servers, c.search, "cvr0"}));
    ASSERT_TRUE(run({"ip", "-n", netns.name(), "link", "del", "cvr0"}).ok);
    EXPECT_TRUE(dns.restore());
  }
  unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
  resolved.reset();
  std::filesystem::remove_all(scratch);
}

INSTANTIATE_TEST_SUITE_P(Cases, ResolvedHostDns, ::testing::ValuesIn(kLinkCases),
                         [](const auto& info) { return info.param.name; });

// ---- the engines with a link of their own (WireGuard, OpenVPN) through the daemon under resolved

// The testbed with the engine's server running, the client profile, and the tunnel's resolver:
// a responder on an address only the tunnel reaches (WireGuard's DNS = 10.77.0.1; the one
// OpenVPN's server pushes, hidden from the veth like the target).
struct LinkTunnel {
  std::unique_ptr<NamespaceTestbed> bed;
  std::string profile;
  std::string tunnelDns;
};

std::optional<LinkTunnel> makeLinkTunnel(const std::string& engine, std::string* whyNot) {
  const auto responder = (NamespaceTestbed::binDir() / "dns_responder").string();
  LinkTunnel tunnel;
  if (engine == "wireguard") {
    auto bed = WireGuardTestbed::create(whyNot);
    if (!bed) return std::nullopt;
    tunnel.profile = bed->clientConfig();
    tunnel.tunnelDns = "10.77.0.1";
    tunnel.bed = std::move(bed);
  } else {
    auto bed = ProxyTestbed::create({"openvpn", "openssl"}, whyNot);
    if (!bed) return std::nullopt;
    tunnel.tunnelDns = "10.79.0.53";
    const std::string s = bed->server().name();
    if (!run({"ip", "-n", s, "addr", "add", tunnel.tunnelDns + "/32", "dev", "lo"}).ok ||
        !runIn(s, {"nft", "add", "rule", "inet", "cvtest", "input", "iifname", "vs", "ip", "daddr", tunnel.tunnelDns, "drop"}).ok) {
      return *whyNot = "cannot hide the tunnel's resolver behind the server", std::nullopt;
    }
    auto profile = startEngineServer(kOpenVpnServer, *bed, std::nullopt, tunnel.tunnelDns);
    if (!profile) return *whyNot = "the OpenVPN server did not start: " + bed->daemonLog(), std::nullopt;
    tunnel.profile = *profile;
    tunnel.bed = std::move(bed);
  }
  if (!tunnel.bed->startServer({responder, tunnel.tunnelDns, kTunnelAnswer})) {
    return *whyNot = "the tunnel's resolver did not start", std::nullopt;
  }
  return tunnel;
}

struct LinkEngineCase {
  const char* name;
  const char* engine;
  bool crash;  // the daemon killed with -9 and started again, rather than the tunnel stopped
};

const LinkEngineCase kLinkEngineCases[] = {
    {"WireGuardStopped", "wireguard", false},
    {"WireGuardDaemonKilledAndRestarted", "wireguard", true},
    {"OpenVpnStopped", "openvpn", false},
    {"OpenVpnDaemonKilledAndRestarted", "openvpn", true},
};

class ResolvedLinkTunnel : public ::testing::TestWithParam<LinkEngineCase> {};

TEST_P(ResolvedLinkTunnel, TheTunnelLinkTakesEveryQueryUntilTheTunnelEnds) {
  const LinkEngineCase& param = GetParam();
  std::string whyNot;
  auto tunnel = makeLinkTunnel(param.engine, &whyNot);
  if (!tunnel) CORVANE_SKIP_OR_FAIL(whyNot);
  auto& bed = tunnel->bed;
  auto resolved = ResolvedInstance::start(bed->client(), bed->scratch(), &whyNot);
  if (!resolved) CORVANE_SKIP_OR_FAIL(whyNot);
  // The outer network's resolver (what DHCP gave).
  ASSERT_TRUE(bed->startServer({(NamespaceTestbed::binDir() / "dns_responder").string(), bed->serverAddress(), kOutsideAnswer}));
  const auto& c = bed->client().name();
  ASSERT_TRUE(resolved->setLinkServers(ResolvedInstance::linkIndex(c, "vc"), {bed->serverAddress()}));
  {
    PacketCapture capture(c, "vc", true);
    ASSERT_TRUE(capture.ok());
    ASSERT_EQ(lookUpSoon(c, "before.corvane.example"), kOutsideAnswer) << resolved->log() << bed->daemonLog();
    EXPECT_GT(queriesTo(capture.stop(), bed->serverAddress()), 0) << "the capture must see the outer resolver's queries";
  }
  const std::string resolvConf = readAll(bed->client().resolvConfPath());

  bed->setDaemonLauncher(resolved->enter());
  ASSERT_TRUE(bed->startDaemon());
  {
    TunneldClient client;
    ASSERT_TRUE(client.connect(bed->socketPath())) << bed->daemonLog();
    ASSERT_TRUE(client.call(simple(Op::subscribe)));
    ASSERT_TRUE(client.call(startProfile(param.engine, tunnel->profile)));
    ASSERT_TRUE(client.waitForStatus(kStatusConnected, 30s)) << bed->daemonLog();

    auto held = resolved->link(ResolvedInstance::linkIndex(c, bed->clientInterface()));
    ASSERT_TRUE(held) << resolved->log();
    EXPECT_EQ(held->servers, Strings{tunnel->tunnelDns});
    EXPECT_EQ(held->domains, Strings{"~."});
    EXPECT_TRUE(held->defaultRoute);
    PacketCapture capture(c, "vc", true);
    ASSERT_TRUE(capture.ok());
    EXPECT_EQ(lookUpSoon(c, "during.corvane.example"), kTunnelAnswer) << resolved->log() << bed->daemonLog();
    const auto lines = capture.stop();
    EXPECT_EQ(queriesTo(lines, bed->serverAddress()), 0) << "a query went to the outer resolver";
    EXPECT_EQ(queriesTo(lines, tunnel->tunnelDns), 0) << "a query to the tunnel's resolver left in the clear";
    EXPECT_EQ(readAll(bed->client().resolvConfPath()), resolvConf) << "resolv.conf is resolved's, not ours";

    if (!param.crash) {
      ASSERT_TRUE(client.call(simple(Op::stop)));
      ASSERT_TRUE(client.waitForStatus(kStatusDisconnected, 10s));
    }
  }
  if (param.crash) {
    bed->stopDaemon(SIGKILL);
    ASSERT_TRUE(bed->startDaemon());
    TunneldClient client;
    // The new daemon cleans up before it serves.
    ASSERT_TRUE(client.connect(bed->socketPath(), 30s)) << bed->daemonLog();
  }
  EXPECT_EQ(ResolvedInstance::linkIndex(c, bed->clientInterface()), 0) << "the tunnel's link is still there";
  EXPECT_EQ(ResolvedInstance::lookUp(c, "after.corvane.example"), kOutsideAnswer) << resolved->log();
  EXPECT_EQ(bed->daemonLog().find("DNS not"), std::string::npos) << bed->daemonLog();
  EXPECT_EQ(readAll(bed->client().resolvConfPath()), resolvConf);
}

INSTANTIATE_TEST_SUITE_P(Engines, ResolvedLinkTunnel, ::testing::ValuesIn(kLinkEngineCases),
                         [](const auto& info) { return info.param.name; });

// ---- Shadowsocks and V2ray under resolved: no link, the stub's queries go through the engine -

class ResolvedProxy : public ::testing::TestWithParam<EngineServer> {};

TEST_P(ResolvedProxy, TheStubsQueriesTravelThroughTheTunnel) {
  const EngineServer& server = GetParam();
  std::string whyNot;
  auto bed = ProxyTestbed::create({server.clientProgram, server.serverProgram}, &whyNot);
  if (!bed) CORVANE_SKIP_OR_FAIL(whyNot);
  auto config = startEngineServer(server, *bed);
  ASSERT_TRUE(config) << bed->daemonLog();
  auto resolved = ResolvedInstance::start(bed->client(), bed->scratch(), &whyNot);
  if (!resolved) CORVANE_SKIP_OR_FAIL(whyNot);
  // The outer network's resolver sits where only the tunnel reaches it (like the target), so
  // an answer proves the stub's query went through the engine and its server.
  const std::string s = bed->server().name(), c = bed->client().name(), dnsAddress = "10.79.0.53";
  ASSERT_TRUE(run({"ip", "-n", s, "addr", "add", dnsAddress + "/32", "dev", "lo"}).ok);
  ASSERT_TRUE(runIn(s, {"nft", "add", "rule", "inet", "cvtest", "input", "iifname", "vs", "ip", "daddr", dnsAddress, "drop"}).ok);
  ASSERT_TRUE(bed->startServer({(NamespaceTestbed::binDir() / "dns_responder").string(), dnsAddress, kTunnelAnswer}));
  ASSERT_TRUE(resolved->setLinkServers(ResolvedInstance::linkIndex(c, "vc"), {dnsAddress}));

  bed->setDaemonLauncher(resolved->enter());
  ASSERT_TRUE(bed->startDaemon());
  TunneldClient client;
  ASSERT_TRUE(client.connect(bed->socketPath())) << bed->daemonLog();
  ASSERT_TRUE(client.call(simple(Op::subscribe)));
  ASSERT_TRUE(client.call(startProfile(server.engine, *config)));
  ASSERT_TRUE(client.waitForStatus(kStatusConnected, 20s)) << bed->daemonLog();
  {
    PacketCapture capture(c, "vc", true);
    ASSERT_TRUE(capture.ok());
    EXPECT_EQ(lookUpSoon(c, "during.corvane.example"), kTunnelAnswer) << resolved->log() << bed->daemonLog();
    EXPECT_EQ(queriesTo(capture.stop(), dnsAddress), 0) << "a query left in the clear";
  }

  ASSERT_TRUE(client.call(simple(Op::stop)));
  ASSERT_TRUE(client.waitForStatus(kStatusDisconnected, 10s));
  EXPECT_EQ(ResolvedInstance::lookUp(c, "after.corvane.example"), "") << "answered without the tunnel";
}

INSTANTIATE_TEST_SUITE_P(Engines, ResolvedProxy, ::testing::Values(kShadowsocksServer, kV2rayServer),
                         [](const auto& info) { return info.param.engine; });

}  // namespace
}  // namespace corvane::daemon::testing
