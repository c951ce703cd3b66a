#include "daemon/support/net_namespace.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>

#include "daemon/support/command.h"

namespace corvane::daemon::testing {
namespace {

void removeNamespace(const std::string& name) {
  (void)run({"ip", "netns", "delete", name});
  std::error_code ignored;
  std::filesystem::remove_all("/etc/netns/" + name, ignored);
}

}  // namespace

NetNamespace::NetNamespace(const std::string& role, const std::string& resolvConf) {
  static std::atomic<int> counter{0};
  name_ = kPrefix + std::to_string(getpid()) + "-" + role + std::to_string(counter++);
  std::error_code error;
  std::filesystem::create_directories("/etc/netns/" + name_, error);
  if (error) return;
  {
    std::ofstream file(resolvConfPath());
    file << resolvConf;
    if (!file) return;
  }
  ok_ = run({"ip", "netns", "add", name_}).ok && runIn(name_, {"ip", "link", "set", "lo", "up"}).ok;
}

NetNamespace::~NetNamespace() { removeNamespace(name_); }

void NetNamespace::removeStale() {
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator("/run/netns", ignored)) {
    std::string name = entry.path().filename().string();
    if (name.rfind(kPrefix, 0) != 0) continue;
    auto dash = name.find('-', std::string(kPrefix).size());
    int pid = std::atoi(name.substr(std::string(kPrefix).size(), dash).c_str());
    if (pid > 0 && kill(pid, 0) != 0) removeNamespace(name);
  }
}

}  // namespace corvane::daemon::testing
