#pragma once
#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

namespace corvane::backend {

// One server of the catalogue: the IPBundle object exactly as logins send it, plus what only
// the backend needs (the WireGuard server's public key, never sent in the catalogue).
struct CatalogueEntry {
  nlohmann::json bundle;
  std::string wireGuardPublicKey;
};

}  // namespace corvane::backend
