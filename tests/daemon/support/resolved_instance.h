#pragma once
// The real systemd-resolved for one test: Debian's binary, unpacked into the build tree by
// scripts/fetch-systemd-resolved (never installed), running in a test's client namespace.
// It gets a mount namespace of its own with a fresh /run, a private system bus there on
// /run/dbus/system_bus_socket, and runs as an unprivileged user with the three capabilities
// its unit grants. The machine's /run, /etc, bus and resolv.conf never see it. The daemon
// joins that mount namespace (enter()) and so finds the bus where a host has it; the
// namespace's resolv.conf names the stub, 127.0.0.53.
#include <sys/types.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "daemon/support/net_namespace.h"
#include "platform/process/process.h"

namespace corvane::daemon::testing {

class ResolvedInstance {
 public:
  // What resolved holds for one link. Domains as resolvectl shows them: "~name" for a
  // routing-only domain ("~." sends every query to the link).
  struct LinkDns {
    std::vector<std::string> servers;
    std::vector<std::string> domains;
    bool defaultRoute = false;
  };

  // Nothing, with `whyNot` set, when it cannot run: reasons starting with "needs" when the
  // machine lacks something (a program, the package from Debian's archive).
  static std::unique_ptr<ResolvedInstance> start(const NetNamespace& netns, const std::filesystem::path& scratch,
                                                 std::string* whyNot);
  ~ResolvedInstance();
  ResolvedInstance(const ResolvedInstance&) = delete;
  ResolvedInstance& operator=(const ResolvedInstance&) = delete;

  // The words that run a program inside the mount namespace (after `ip netns exec NAME`).
  std::vector<std::string> enter() const;
  // The bus, for this process to reach it from outside the mount namespace.
  std::string busAddress() const;
  // What resolved holds for the link; nothing when it knows no such link.
  std::optional<LinkDns> link(int index) const;
  // Gives a link DNS servers, as DHCP would give the outer interface.
  bool setLinkServers(int index, const std::vector<std::string>& servers) const;
  std::string log() const;

  // The index of a link in a namespace, or 0.
  static int linkIndex(const std::string& netns, const std::string& link);
  // The first IPv4 address the namespace's resolver (so the stub) gives for `name`; empty
  // when it gives none.
  static std::string lookUp(const std::string& netns, const std::string& name);

 private:
  ResolvedInstance() = default;
  bool launch(const NetNamespace& netns, const std::filesystem::path& tree, std::string* whyNot);

  std::filesystem::path logPath_;
  std::optional<platform::Process> bus_;  // also holds the mount namespace
  std::optional<platform::Process> resolved_;
};

}  // namespace corvane::daemon::testing
