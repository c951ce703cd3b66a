#pragma once
// How a transparent-proxy engine runs its program: the configuration file the service wrote
// (0600, in the run's 0700 folder) and the arguments that point the program at it. Secrets
// stay in the file, never in argv.
#include <cstdint>
#include <string>
#include <vector>

namespace corvane::daemon::engines::transparent {

struct TransparentLaunch {
  std::string program;              // "ss-redir", "v2ray"
  std::string configFileName;       // inside the run's folder
  std::string configText;           // secret: written once, then wiped from memory
  std::vector<std::string> argsBeforeFile;
  std::vector<std::string> argsAfterFile;
  std::vector<std::uint16_t> listenPorts;  // up once the program listens on all of them
};

}  // namespace corvane::daemon::engines::transparent
