#include "daemon/daemon_settings.h"

#include <cstdlib>

namespace corvane::daemon {
namespace {

const char* env(const char* name) {
  const char* value = std::getenv(name);
  return (value && *value) ? value : nullptr;
}

}  // namespace

DaemonSettings DaemonSettings::fromEnvironment() {
  DaemonSettings s;
  if (const char* state = env("CORVANE_TUNNELD_STATE")) {
    s.stateDir = state;
    s.runtimeDir = s.stateDir / "run";
    s.socketPath = s.runtimeDir / "tunneld.sock";
  }
  if (const char* socket = env("CORVANE_TUNNELD_SOCKET")) s.socketPath = socket;
  if (const char* prefix = env("CORVANE_TUNNELD_INTERFACE")) s.interfacePrefix = std::string(prefix).substr(0, 14);
  if (const char* group = env("CORVANE_TUNNELD_GROUP")) s.group = group;
  if (const char* programs = env("CORVANE_TUNNELD_PROGRAMS")) s.programDir = programs;
  return s;
}

}  // namespace corvane::daemon
