#pragma once
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "password_hasher.h"

namespace corvane::backend {

struct BackendOptions {
  std::string bind = "127.0.0.1";
  int httpsPort = 8443;
  int httpPort = 8080;
  // The loopback-only listener that reveals pending reset codes to tests; off unless given.
  std::optional<int> testPort;
  std::filesystem::path dataDir;
  bool demo = false;
  size_t demoServers = 72;
  HashCost hashCost = HashCost::interactive;
  int threads = 8;
  std::int64_t resetCodeTtlSeconds = 15 * 60;
  size_t maxBodyBytes = 64 * 1024;
};

}  // namespace corvane::backend
