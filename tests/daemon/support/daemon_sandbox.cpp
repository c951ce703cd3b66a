#include "daemon/support/daemon_sandbox.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>

#include "daemon/support/command.h"
#include "daemon/support/wireguard_testbed.h"
#include "platform/process/process_environment.h"

namespace corvane::daemon::testing {

using namespace std::chrono_literals;

std::unique_ptr<DaemonSandbox> DaemonSandbox::create(const std::vector<std::string>& environment, std::string* whyNot) {
  if (geteuid() != 0) {
    *whyNot = "needs root to make a network namespace";
    return nullptr;
  }
  if (!haveProgram("ip") || !haveProgram("nft")) {
    *whyNot = "needs ip and nft";
    return nullptr;
  }
  NetNamespace::removeStale();
  std::unique_ptr<DaemonSandbox> box(new DaemonSandbox());
  char pattern[] = "/tmp/corvane-sandbox-XXXXXX";
  if (!mkdtemp(pattern)) return *whyNot = "mkdtemp failed", nullptr;
  box->scratch_ = pattern;
  chmod(pattern, 0755);
  std::filesystem::create_directories(box->scratch_ / "sock");
  chmod((box->scratch_ / "sock").c_str(), 0755);
  static int counter = 0;
  box->prefix_ = "cvb" + std::to_string(getpid() % 100000) + std::to_string(counter++ % 10);
  box->environment_ = environment;
  box->netns_ = std::make_unique<NetNamespace>("b", "nameserver 127.0.0.1\n");
  if (!box->netns_->ok()) return *whyNot = "needs network namespaces (ip netns add failed)", nullptr;
  if (!box->start()) return *whyNot = "corvane-tunneld did not start", nullptr;
  return box;
}

bool DaemonSandbox::start() {
  platform::ProcessOptions options;
  options.argv = {"ip", "netns", "exec", netns_->name(), (WireGuardTestbed::binDir() / "corvane-tunneld").string()};
  auto env = platform::ProcessEnvironment::current();
  env.set("CORVANE_TUNNELD_STATE", (scratch_ / "state").string());
  env.set("CORVANE_TUNNELD_SOCKET", socketPath());
  env.set("CORVANE_HOME", (scratch_ / "home").string());
  env.set("CORVANE_TUNNELD_INTERFACE", prefix_);
  for (const auto& entry : environment_) {
    auto equals = entry.find('=');
    env.set(entry.substr(0, equals), entry.substr(equals + 1));
  }
  options.environment = env.entries();
  int log = open((scratch_ / "daemon.log").c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
  options.stderrStream = platform::ChildStream::from(log);
  options.newProcessGroup = true;
  auto process = platform::Process::start(std::move(options));
  close(log);
  if (!process) return false;
  daemon_.emplace(std::move(*process));
  return true;
}

void DaemonSandbox::kill(int signal) {
  if (!daemon_) return;
  daemon_->signal(signal, true);
  (void)daemon_->waitOrKill(10s);
  daemon_.reset();
}

DaemonSandbox::~DaemonSandbox() {
  kill(SIGTERM);
  netns_.reset();
  std::error_code ignored;
  if (!scratch_.empty()) std::filesystem::remove_all(scratch_, ignored);
}

std::string DaemonSandbox::log() const {
  std::ifstream file(scratch_ / "daemon.log");
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

}  // namespace corvane::daemon::testing
