#pragma once
#include <string>

#include "backend/server_catalogue.h"

namespace corvane::backend {

// A fresh X25519 key pair in WireGuard's Base64 form.
struct WireGuardKeyPair {
  std::string privateKey;
  std::string publicKey;
};
WireGuardKeyPair newWireGuardKeyPair();

// `endpoint` with a port: WireGuard's usual 51820 when it has none.
std::string endpointWithPort(const std::string& endpoint);

// The client's wg-quick style configuration for `server`: its endpoint (or its catalogue "ip")
// and public key, and the DNS line when the server names one.
std::string wireGuardClientConfig(const std::string& privateKey, const std::string& address,
                                  const WireGuardServer& server);

}  // namespace corvane::backend
