#pragma once
#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

namespace corvane::backend {

// One server of the catalogue: the IPBundle object exactly as logins send it, plus what only
// the backend needs to answer WireGuard requests (never sent in the catalogue).
struct CatalogueEntry {
  nlohmann::json bundle;
  std::string wireGuardPublicKey;
  // "host:port" the client config names; empty: the bundle's "ip" (port 51820 if it has none).
  std::string wireGuardEndpoint;
  // The DNS line of the client config; empty leaves the line out.
  std::string wireGuardDns;
};

}  // namespace corvane::backend
