#pragma once
#include <string>

namespace corvane::backend {

// A fresh X25519 key pair in WireGuard's Base64 form.
struct WireGuardKeyPair {
  std::string privateKey;
  std::string publicKey;
};
WireGuardKeyPair newWireGuardKeyPair();

// `endpoint` with a port: WireGuard's usual 51820 when it has none.
std::string endpointWithPort(const std::string& endpoint);

// The client's wg-quick style configuration for one server. `endpoint` is the catalogue's
// "ip".
std::string wireGuardClientConfig(const std::string& privateKey, const std::string& address,
                                  const std::string& serverPublicKey, const std::string& endpoint);

}  // namespace corvane::backend
