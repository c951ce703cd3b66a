#include "daemon/support/wireguard_testbed.h"

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "daemon/engines/wireguard/uapi_client.h"
#include "daemon/engines/wireguard/wireguard_key.h"
#include "daemon/support/command.h"

namespace corvane::daemon::testing {
namespace {

using namespace std::chrono_literals;

std::string trimmed(std::string s) {
  while (!s.empty() && (s.back() == '\n' || s.back() == ' ')) s.pop_back();
  return s;
}

std::string hexOf(const std::string& base64) {
  auto key = engines::wireguard::WireGuardKey::fromBase64(base64);
  return key ? key->hex() : std::string();
}

}  // namespace

WireGuardTestbed::WireGuardTestbed() : NamespaceTestbed(Layout{"192.168.77", "fd77:", kResolvConf, "cvc"}) {
  // The tests that kill the engine's program to make the tunnel fail need wireguard-go, also
  // on a kernel with WireGuard; a run that names a WireGuard (the VM's "kernel") keeps it.
  if (!std::getenv("CORVANE_WIREGUARD")) daemonEnvironment_ = {"CORVANE_WIREGUARD=userspace"};
}

std::unique_ptr<WireGuardTestbed> WireGuardTestbed::create(std::string* whyNot) {
  if (!machineCanRun({"wireguard-go", "wg"}, whyNot)) return nullptr;
  std::unique_ptr<WireGuardTestbed> bed(new WireGuardTestbed());
  if (!bed->build(whyNot)) return nullptr;
  return bed;
}

bool WireGuardTestbed::build(std::string* whyNot) {
  if (!wire(whyNot)) return false;
  const std::string s = server().name();
  serverInterface_ = "cvs" + std::to_string(getpid() % 100000);
  clientPrivate_ = trimmed(run({"wg", "genkey"}).out);
  clientPublic_ = trimmed(run({"wg", "pubkey"}, clientPrivate_ + "\n").out);
  serverPrivate_ = trimmed(run({"wg", "genkey"}).out);
  serverPublic_ = trimmed(run({"wg", "pubkey"}, serverPrivate_ + "\n").out);
  if (clientPublic_.empty() || serverPublic_.empty()) return *whyNot = "wg genkey failed", false;

  auto serverWg = startIn(s, {"wireguard-go", "-f", serverInterface_}, {"WG_PROCESS_FOREGROUND=1", "LOG_LEVEL=error"});
  if (!serverWg) return *whyNot = "cannot start the server's wireguard-go", false;
  engines::wireguard::UapiClient uapi(engines::wireguard::UapiClient::socketFor(serverInterface_));
  for (int i = 0; i < 1500 && !uapi.socketExists(); ++i) std::this_thread::sleep_for(10ms);
  adopt(std::move(*serverWg));
  auto set = uapi.set("private_key=" + hexOf(serverPrivate_) + "\nlisten_port=51820\nreplace_peers=true\npublic_key=" +
                      hexOf(clientPublic_) + "\nallowed_ip=10.77.0.2/32\nallowed_ip=fd78::2/128\n");
  if (!set) return *whyNot = "cannot configure the server's wireguard-go: " + set.error().description, false;
  bool tunnelUp = run({"ip", "-n", s, "addr", "add", "10.77.0.1/24", "dev", serverInterface_}).ok &&
                  run({"ip", "-n", s, "addr", "add", "fd78::1/64", "dev", serverInterface_, "nodad"}).ok &&
                  run({"ip", "-n", s, "link", "set", serverInterface_, "up"}).ok;
  if (!tunnelUp) return *whyNot = "cannot bring the server's tunnel up", false;
  if (!startEcho(server(), "8080", {"10.77.0.1", "fd78::1"})) return *whyNot = "the echo server did not start", false;
  return true;
}

WireGuardTestbed::~WireGuardTestbed() {
  stopProcesses();
  std::error_code ignored;
  std::filesystem::remove(engines::wireguard::UapiClient::socketFor(serverInterface_), ignored);
  std::filesystem::remove(engines::wireguard::UapiClient::socketFor(clientInterface()), ignored);
}

std::string WireGuardTestbed::clientConfig(bool withIpv6) const {
  std::string text = "[Interface]\nPrivateKey = " + clientPrivate_ + "\nAddress = 10.77.0.2/32" +
                     (withIpv6 ? ", fd78::2/128" : "") + "\nDNS = 10.77.0.1\n\n[Peer]\nPublicKey = " + serverPublic_ +
                     "\nAllowedIPs = 0.0.0.0/0" + (withIpv6 ? ", ::/0" : "") +
                     "\nEndpoint = 192.168.77.1:51820\nPersistentKeepalive = 25\n";
  return text;
}

pid_t WireGuardTestbed::engineProcess() const {
  std::error_code ignored;
  const std::string wanted = std::string("wireguard-go") + '\0' + "-f" + '\0' + clientInterface() + '\0';
  for (const auto& entry : std::filesystem::directory_iterator("/proc", ignored)) {
    // Streamed through rdbuf: a process reaped mid-read (ESRCH) reads as empty, where a
    // stream iterator would throw.
    std::ifstream file(entry.path() / "cmdline");
    std::stringstream text;
    text << file.rdbuf();
    const std::string cmdline = text.str();
    auto at = cmdline.find(wanted);
    if (at != std::string::npos && (at == 0 || cmdline[at - 1] == '/')) return std::atoi(entry.path().filename().c_str());
  }
  return 0;
}

}  // namespace corvane::daemon::testing
