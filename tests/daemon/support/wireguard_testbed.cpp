#include "daemon/support/wireguard_testbed.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "daemon/engines/wireguard/uapi_client.h"
#include "daemon/engines/wireguard/wireguard_key.h"
#include "daemon/support/command.h"
#include "platform/process/process_environment.h"

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

std::optional<platform::Process> startIn(const std::string& netns, std::vector<std::string> argv,
                                         std::vector<std::string> environment = {}, int stderrFd = -1) {
  platform::ProcessOptions options;
  options.argv = {"ip", "netns", "exec", netns};
  options.argv.insert(options.argv.end(), argv.begin(), argv.end());
  auto env = platform::ProcessEnvironment::current();
  for (const auto& entry : environment) {
    auto equals = entry.find('=');
    env.set(entry.substr(0, equals), entry.substr(equals + 1));
  }
  options.environment = env.entries();
  options.stdoutStream = platform::ChildStream::piped();
  if (stderrFd >= 0) options.stderrStream = platform::ChildStream::from(stderrFd);
  options.newProcessGroup = true;
  auto process = platform::Process::start(std::move(options));
  if (!process) return std::nullopt;
  return std::move(*process);
}

bool waitReady(platform::Process& process) {
  auto line = process.readLine(platform::Process::Stream::out, 10s);
  return line && *line == "ready";
}

}  // namespace

std::filesystem::path WireGuardTestbed::binDir() { return std::filesystem::read_symlink("/proc/self/exe").parent_path(); }

std::unique_ptr<WireGuardTestbed> WireGuardTestbed::create(std::string* whyNot) {
  if (geteuid() != 0) {
    *whyNot = "needs root to make network namespaces";
    return nullptr;
  }
  for (const char* program : {"ip", "wireguard-go", "wg", "nft", "curl"}) {
    if (!haveProgram(program)) {
      *whyNot = std::string("needs ") + program;
      return nullptr;
    }
  }
  NetNamespace::removeStale();
  std::unique_ptr<WireGuardTestbed> bed(new WireGuardTestbed());
  if (!bed->build(whyNot)) return nullptr;
  return bed;
}

bool WireGuardTestbed::build(std::string* whyNot) {
  char pattern[] = "/tmp/corvane-tunnel-XXXXXX";
  if (!mkdtemp(pattern)) return *whyNot = "mkdtemp failed", false;
  scratch_ = pattern;
  server_ = std::make_unique<NetNamespace>("s", kResolvConf);
  client_ = std::make_unique<NetNamespace>("c", kResolvConf);
  if (!server_->ok() || !client_->ok()) return *whyNot = "needs network namespaces (ip netns add failed)", false;
  const std::string s = server_->name();
  const std::string c = client_->name();
  const std::string tag = std::to_string(getpid() % 100000);
  serverInterface_ = "cvs" + tag;
  clientPrefix_ = "cvc" + tag;
  clientInterface_ = clientPrefix_ + "0";
  bool wired = run({"ip", "-n", c, "link", "add", "vc", "type", "veth", "peer", "name", "vs", "netns", s}).ok &&
               run({"ip", "-n", c, "addr", "add", "192.168.77.2/24", "dev", "vc"}).ok &&
               run({"ip", "-n", c, "addr", "add", "fd77::2/64", "dev", "vc", "nodad"}).ok &&
               run({"ip", "-n", s, "addr", "add", "192.168.77.1/24", "dev", "vs"}).ok &&
               run({"ip", "-n", s, "addr", "add", "fd77::1/64", "dev", "vs", "nodad"}).ok &&
               run({"ip", "-n", c, "link", "set", "vc", "up"}).ok && run({"ip", "-n", s, "link", "set", "vs", "up"}).ok &&
               run({"ip", "-n", c, "route", "add", "default", "via", "192.168.77.1"}).ok &&
               run({"ip", "-n", c, "-6", "route", "add", "default", "via", "fd77::1"}).ok;
  if (!wired) return *whyNot = "cannot wire the veth pair", false;

  clientPrivate_ = trimmed(run({"wg", "genkey"}).out);
  clientPublic_ = trimmed(run({"wg", "pubkey"}, clientPrivate_ + "\n").out);
  serverPrivate_ = trimmed(run({"wg", "genkey"}).out);
  serverPublic_ = trimmed(run({"wg", "pubkey"}, serverPrivate_ + "\n").out);
  if (clientPublic_.empty() || serverPublic_.empty()) return *whyNot = "wg genkey failed", false;

  serverWg_ = startIn(s, {"wireguard-go", "-f", serverInterface_}, {"WG_PROCESS_FOREGROUND=1", "LOG_LEVEL=error"});
  if (!serverWg_) return *whyNot = "cannot start the server's wireguard-go", false;
  engines::wireguard::UapiClient uapi(engines::wireguard::UapiClient::socketFor(serverInterface_));
  for (int i = 0; i < 1500 && !uapi.socketExists(); ++i) std::this_thread::sleep_for(10ms);
  auto set = uapi.set("private_key=" + hexOf(serverPrivate_) + "\nlisten_port=51820\nreplace_peers=true\npublic_key=" +
                      hexOf(clientPublic_) + "\nallowed_ip=10.77.0.2/32\nallowed_ip=fd78::2/128\n");
  if (!set) return *whyNot = "cannot configure the server's wireguard-go: " + set.error().description, false;
  bool tunnelUp = run({"ip", "-n", s, "addr", "add", "10.77.0.1/24", "dev", serverInterface_}).ok &&
                  run({"ip", "-n", s, "addr", "add", "fd78::1/64", "dev", serverInterface_, "nodad"}).ok &&
                  run({"ip", "-n", s, "link", "set", serverInterface_, "up"}).ok;
  if (!tunnelUp) return *whyNot = "cannot bring the server's tunnel up", false;

  auto echo = (binDir() / "tunnel_echo_server").string();
  target_ = startIn(s, {echo, "8080", "10.77.0.1", "fd78::1"});
  probePage_ = startIn(s, {echo, "80", "192.168.77.1"});
  if (!target_ || !probePage_ || !waitReady(*target_) || !waitReady(*probePage_)) {
    return *whyNot = "the echo servers did not start", false;
  }
  return true;
}

WireGuardTestbed::~WireGuardTestbed() {
  if (daemon_) stopDaemon(SIGTERM);
  for (auto* process : {&target_, &probePage_, &serverWg_}) {
    if (*process) (void)(*process)->stop(2s);
    process->reset();
  }
  client_.reset();
  server_.reset();
  std::error_code ignored;
  std::filesystem::remove(engines::wireguard::UapiClient::socketFor(serverInterface_), ignored);
  std::filesystem::remove(engines::wireguard::UapiClient::socketFor(clientInterface_), ignored);
  if (!scratch_.empty()) std::filesystem::remove_all(scratch_, ignored);
}

std::string WireGuardTestbed::clientConfig(bool withIpv6) const {
  std::string text = "[Interface]\nPrivateKey = " + clientPrivate_ + "\nAddress = 10.77.0.2/32" +
                     (withIpv6 ? ", fd78::2/128" : "") + "\nDNS = 10.77.0.1\n\n[Peer]\nPublicKey = " + serverPublic_ +
                     "\nAllowedIPs = 0.0.0.0/0" + (withIpv6 ? ", ::/0" : "") +
                     "\nEndpoint = 192.168.77.1:51820\nPersistentKeepalive = 25\n";
  return text;
}

bool WireGuardTestbed::startDaemon(const std::vector<std::string>& extraEnvironment) {
  std::vector<std::string> environment = {"CORVANE_TUNNELD_STATE=" + (scratch_ / "state").string(),
                                          "CORVANE_HOME=" + (scratch_ / "home").string(),
                                          "CORVANE_TUNNELD_INTERFACE=" + clientPrefix_};
  environment.insert(environment.end(), extraEnvironment.begin(), extraEnvironment.end());
  int log = open((scratch_ / "daemon.log").c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
  daemon_ = startIn(client_->name(), {(binDir() / "corvane-tunneld").string()}, environment, log);
  if (log >= 0) close(log);
  return daemon_.has_value();
}

bool WireGuardTestbed::stopDaemon(int signal) {
  if (!daemon_) return false;
  daemon_->signal(signal, true);
  auto exit = daemon_->waitOrKill(10s);
  daemon_.reset();
  return exit.success();
}

std::string WireGuardTestbed::daemonLog() const {
  std::ifstream file(scratch_ / "daemon.log");
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

pid_t WireGuardTestbed::engineProcess() const {
  std::error_code ignored;
  const std::string wanted = std::string("wireguard-go") + '\0' + "-f" + '\0' + clientInterface_ + '\0';
  for (const auto& entry : std::filesystem::directory_iterator("/proc", ignored)) {
    std::ifstream file(entry.path() / "cmdline");
    std::string cmdline((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    auto at = cmdline.find(wanted);
    if (at != std::string::npos && (at == 0 || cmdline[at - 1] == '/')) return std::atoi(entry.path().filename().c_str());
  }
  return 0;
}

}  // namespace corvane::daemon::testing
