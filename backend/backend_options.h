#pragma once
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "backend/password_hasher.h"

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
  // The whole request head and body (and a TLS handshake) must arrive within this.
  int requestDeadlineMs = 10000;
  size_t maxConnections = 4096;
  // Serve the JSON API on the HTTPS listener too, and name that listener in the domain source.
  bool apiOverTls = false;
  // Replaces the catalogue at start-up (see catalogue_file.h); empty keeps the stored one.
  std::filesystem::path catalogueFile;
  // Failed logins allowed per client address in 15 minutes; 0 turns that limit off (for a
  // benchmark whose clients all share one address).
  int loginFailuresPerAddress = 50;
};

}  // namespace corvane::backend
