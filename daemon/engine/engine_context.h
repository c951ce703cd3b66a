#pragma once
// What the daemon lends an engine for one run: the event loop every callback runs on, a
// private runtime folder, the interface name to create, and the mark for its own packets.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "daemon/engine/credentials.h"

namespace corvane::platform {
class MainLoop;
}

namespace corvane::daemon::engine {

struct EngineContext {
  // Every engine call and every callback it makes happens on this loop's thread.
  platform::MainLoop& loop;
  // A 0700 folder only root can enter, emptied before the run; for sockets and 0600 files.
  std::filesystem::path runtimeDir;
  // The name for a fresh tunnel interface. It carries the daemon's prefix, so cleanup after a
  // crash finds it; an engine that makes an interface must use this name.
  std::string interfaceName;
  // The fwmark the engine should set on its own packets to the server, where it can.
  std::uint32_t fwmark = 0;
  // Folder where the engines' programs are looked up (empty: the usual PATH of a root
  // service, /usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin). Tests move it to
  // make a program missing.
  std::filesystem::path programDir;
  // The run's manager's account, when it has a password saved.
  std::optional<Credentials> credentials;
};

}  // namespace corvane::daemon::engine
