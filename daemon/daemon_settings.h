#pragma once
// Where the daemon keeps things, from the environment. CORVANE_TUNNELD_STATE moves the state
// folder and, under it, the runtime folder (tests give each daemon its own); the socket
// follows the runtime folder unless CORVANE_TUNNELD_SOCKET names it.
#include <filesystem>
#include <string>

namespace corvane::daemon {

struct DaemonSettings {
  std::filesystem::path stateDir = "/var/lib/corvane";
  std::filesystem::path runtimeDir = "/run/corvane";
  std::filesystem::path socketPath = "/run/corvane/tunneld.sock";
  std::filesystem::path resolvConf = "/etc/resolv.conf";
  // Every tunnel interface starts with this, so cleanup after a crash finds them
  // (CORVANE_TUNNELD_INTERFACE; at most 14 characters, a digit follows).
  std::string interfacePrefix = "corvane";
  // The group whose members are served (CORVANE_TUNNELD_GROUP).
  std::string group = "corvane";
  // Folder of the engines' programs (CORVANE_TUNNELD_PROGRAMS); empty: PATH.
  std::filesystem::path programDir;

  static DaemonSettings fromEnvironment();
  std::string interfaceName() const { return interfacePrefix + "0"; }
};

}  // namespace corvane::daemon
