#include "daemon/support/proxy_testbed.h"

#include "daemon/support/command.h"

namespace corvane::daemon::testing {

ProxyTestbed::ProxyTestbed() : NamespaceTestbed(Layout{"192.168.79", "fd79:", kResolvConf, "cvp"}) {}

std::unique_ptr<ProxyTestbed> ProxyTestbed::create(const std::vector<std::string>& programs, std::string* whyNot) {
  if (!machineCanRun(programs, whyNot)) return nullptr;
  std::unique_ptr<ProxyTestbed> bed(new ProxyTestbed());
  if (!bed->build(whyNot)) return nullptr;
  return bed;
}

bool ProxyTestbed::build(std::string* whyNot) {
  if (!wire(whyNot)) return false;
  const std::string s = server().name();
  const std::string hide = "table inet cvtest {\n chain input {\n  type filter hook input priority 0;\n"
                           "  iifname \"vs\" ip daddr 10.79.0.1 drop\n }\n}\n";
  if (!run({"ip", "-n", s, "addr", "add", "10.79.0.1/32", "dev", "lo"}).ok || !runIn(s, {"nft", "-f", "-"}, hide).ok) {
    return *whyNot = "cannot hide the target behind the server", false;
  }
  if (!startEcho(server(), "8080", {kTargetAddress})) return *whyNot = "the echo server did not start", false;
  auto udp = startIn(s, {(binDir() / "udp_echo").string(), "serve", kTargetAddress, "53"});
  if (!udp) return *whyNot = "the UDP echo did not start", false;
  auto ready = udp->readLine(platform::Process::Stream::out, std::chrono::seconds(10));
  adopt(std::move(*udp));
  if (!ready || *ready != "ready") return *whyNot = "the UDP echo did not start", false;
  return true;
}

std::string ProxyTestbed::echoOverTcp() const {
  auto result = runIn(client().name(), {"curl", "-s", "--max-time", "3", "http://10.79.0.1:8080/ip"});
  return result.ok ? result.out : std::string();
}

std::string ProxyTestbed::echoOverUdp() const {
  auto result = runIn(client().name(), {(binDir() / "udp_echo").string(), "ask", kTargetAddress, "53"});
  return result.ok ? result.out : std::string();
}

}  // namespace corvane::daemon::testing
