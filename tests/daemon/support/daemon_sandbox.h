#pragma once
// corvane-tunneld alone in a fresh network namespace (loopback only), for the socket and
// fault tests that need no server. Its socket sits in a folder anyone may traverse, so
// callers of other uids reach it and meet the daemon's own check.
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "daemon/support/net_namespace.h"
#include "platform/process/process.h"

namespace corvane::daemon::testing {

class DaemonSandbox {
 public:
  static std::unique_ptr<DaemonSandbox> create(const std::vector<std::string>& environment, std::string* whyNot);
  ~DaemonSandbox();

  std::string socketPath() const { return (scratch_ / "sock" / "tunneld.sock").string(); }
  const NetNamespace& netns() const { return *netns_; }
  const std::filesystem::path& scratch() const { return scratch_; }
  std::string interfaceName() const { return prefix_ + "0"; }
  bool start();
  void kill(int signal);
  std::string log() const;

 private:
  DaemonSandbox() = default;

  std::filesystem::path scratch_;
  std::string prefix_;
  std::vector<std::string> environment_;
  std::unique_ptr<NetNamespace> netns_;
  std::optional<platform::Process> daemon_;
};

}  // namespace corvane::daemon::testing
