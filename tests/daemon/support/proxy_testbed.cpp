#include "daemon/support/proxy_testbed.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "daemon/support/command.h"
#include "daemon/support/wireguard_testbed.h"
#include "platform/process/process_environment.h"

namespace corvane::daemon::testing {
namespace {

using namespace std::chrono_literals;

std::optional<platform::Process> startIn(const std::string& netns, std::vector<std::string> argv,
                                         std::vector<std::string> environment = {}, int outFd = -1) {
  platform::ProcessOptions options;
  options.argv = {"ip", "netns", "exec", netns};
  options.argv.insert(options.argv.end(), argv.begin(), argv.end());
  auto env = platform::ProcessEnvironment::current();
  for (const auto& entry : environment) {
    auto equals = entry.find('=');
    env.set(entry.substr(0, equals), entry.substr(equals + 1));
  }
  options.environment = env.entries();
  options.stdoutStream = outFd >= 0 ? platform::ChildStream::from(outFd) : platform::ChildStream::piped();
  if (outFd >= 0) options.stderrStream = platform::ChildStream::from(outFd);
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

std::unique_ptr<ProxyTestbed> ProxyTestbed::create(const std::vector<std::string>& programs, std::string* whyNot) {
  if (geteuid() != 0) {
    *whyNot = "needs root to make network namespaces";
    return nullptr;
  }
  std::vector<std::string> needed = {"ip", "nft", "curl"};
  needed.insert(needed.end(), programs.begin(), programs.end());
  for (const auto& program : needed) {
    if (!haveProgram(program)) {
      *whyNot = "needs " + program;
      return nullptr;
    }
  }
  NetNamespace::removeStale();
  std::unique_ptr<ProxyTestbed> bed(new ProxyTestbed());
  if (!bed->build(whyNot)) return nullptr;
  return bed;
}

bool ProxyTestbed::build(std::string* whyNot) {
  char pattern[] = "/tmp/corvane-proxy-XXXXXX";
  if (!mkdtemp(pattern)) return *whyNot = "mkdtemp failed", false;
  scratch_ = pattern;
  server_ = std::make_unique<NetNamespace>("s", kResolvConf);
  client_ = std::make_unique<NetNamespace>("c", kResolvConf);
  if (!server_->ok() || !client_->ok()) return *whyNot = "cannot create network namespaces", false;
  const std::string s = server_->name();
  const std::string c = client_->name();
  clientPrefix_ = "cvp" + std::to_string(getpid() % 100000);
  const std::string hide = "table inet cvtest {\n chain input {\n  type filter hook input priority 0;\n"
                           "  iifname \"vs\" ip daddr 10.79.0.1 drop\n }\n}\n";
  bool wired = run({"ip", "-n", c, "link", "add", "vc", "type", "veth", "peer", "name", "vs", "netns", s}).ok &&
               run({"ip", "-n", c, "addr", "add", "192.168.79.2/24", "dev", "vc"}).ok &&
               run({"ip", "-n", s, "addr", "add", "192.168.79.1/24", "dev", "vs"}).ok &&
               run({"ip", "-n", c, "link", "set", "vc", "up"}).ok && run({"ip", "-n", s, "link", "set", "vs", "up"}).ok &&
               run({"ip", "-n", c, "route", "add", "default", "via", "192.168.79.1"}).ok &&
               run({"ip", "-n", s, "addr", "add", "10.79.0.1/32", "dev", "lo"}).ok && runIn(s, {"nft", "-f", "-"}, hide).ok;
  if (!wired) return *whyNot = "cannot wire the namespaces", false;
  const auto bin = WireGuardTestbed::binDir();
  auto http = startIn(s, {(bin / "tunnel_echo_server").string(), "8080", kTargetAddress});
  auto udp = startIn(s, {(bin / "udp_echo").string(), "serve", kTargetAddress, "53"});
  if (!http || !udp || !waitReady(*http) || !waitReady(*udp)) return *whyNot = "the echo servers did not start", false;
  servers_.push_back(std::move(*http));
  servers_.push_back(std::move(*udp));
  return true;
}

ProxyTestbed::~ProxyTestbed() {
  if (daemon_) stopDaemon(SIGTERM);
  for (auto& process : servers_) (void)process.stop(2s);
  servers_.clear();
  client_.reset();
  server_.reset();
  std::error_code ignored;
  if (!scratch_.empty()) std::filesystem::remove_all(scratch_, ignored);
}

std::string ProxyTestbed::writeFile(const std::string& name, const std::string& content) const {
  const auto path = scratch_ / name;
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd >= 0) {
    (void)!write(fd, content.data(), content.size());
    close(fd);
  }
  return path.string();
}

bool ProxyTestbed::startServer(std::vector<std::string> argv) {
  int log = open((scratch_ / "servers.log").c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
  auto process = startIn(server_->name(), std::move(argv), {}, log);
  if (log >= 0) close(log);
  if (!process) return false;
  servers_.push_back(std::move(*process));
  return true;
}

bool ProxyTestbed::startClientProgram(std::vector<std::string> argv) {
  int log = open((scratch_ / "client.log").c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
  auto process = startIn(client_->name(), std::move(argv), {}, log);
  if (log >= 0) close(log);
  if (!process) return false;
  servers_.push_back(std::move(*process));
  return true;
}

bool ProxyTestbed::startDaemon() {
  std::vector<std::string> environment = {"CORVANE_TUNNELD_STATE=" + (scratch_ / "state").string(),
                                          "CORVANE_HOME=" + (scratch_ / "home").string(),
                                          "CORVANE_TUNNELD_INTERFACE=" + clientPrefix_};
  int log = open((scratch_ / "daemon.log").c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
  daemon_ = startIn(client_->name(), {(WireGuardTestbed::binDir() / "corvane-tunneld").string()}, environment, log);
  if (log >= 0) close(log);
  return daemon_.has_value();
}

void ProxyTestbed::stopDaemon(int signal) {
  if (!daemon_) return;
  daemon_->signal(signal, true);
  (void)daemon_->waitOrKill(10s);
  daemon_.reset();
}

std::string ProxyTestbed::daemonLog() const {
  std::ifstream file(scratch_ / "daemon.log");
  std::stringstream text;
  text << file.rdbuf();
  std::ifstream servers(scratch_ / "servers.log");
  text << "--- servers:\n" << servers.rdbuf();
  return text.str();
}

std::string ProxyTestbed::echoOverTcp() const {
  auto result = runIn(client_->name(), {"curl", "-s", "--max-time", "3", "http://10.79.0.1:8080/ip"});
  return result.ok ? result.out : std::string();
}

std::string ProxyTestbed::echoOverUdp() const {
  auto result = runIn(client_->name(), {(WireGuardTestbed::binDir() / "udp_echo").string(), "ask", kTargetAddress, "53"});
  return result.ok ? result.out : std::string();
}

}  // namespace corvane::daemon::testing
