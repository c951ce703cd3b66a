#include "backend/wireguard_config.h"

#include <sodium.h>

#include <algorithm>

#include "platform/core/base64.h"

namespace corvane::backend {

WireGuardKeyPair newWireGuardKeyPair() {
  unsigned char secret[crypto_scalarmult_SCALARBYTES];
  unsigned char pub[crypto_scalarmult_BYTES];
  randombytes_buf(secret, sizeof secret);
  // Clamp as WireGuard does, so the key we hand out is already in canonical form.
  secret[0] &= 248;
  secret[31] &= 127;
  secret[31] |= 64;
  crypto_scalarmult_base(pub, secret);
  WireGuardKeyPair pair{platform::base64Encode(std::string_view(reinterpret_cast<const char*>(secret), sizeof secret)),
                        platform::base64Encode(std::string_view(reinterpret_cast<const char*>(pub), sizeof pub))};
  sodium_memzero(secret, sizeof secret);
  return pair;
}

std::string endpointWithPort(const std::string& endpoint) {
  if (!endpoint.empty() && endpoint.front() == '[') {
    return endpoint.find("]:") != std::string::npos ? endpoint : endpoint + ":51820";
  }
  const auto colons = std::count(endpoint.begin(), endpoint.end(), ':');
  if (colons == 1) return endpoint;                        // host:port
  if (colons > 1) return "[" + endpoint + "]:51820";      // a bare IPv6 address
  return endpoint + ":51820";
}

std::string wireGuardClientConfig(const std::string& privateKey, const std::string& address,
                                  const WireGuardServer& server) {
  const std::string endpoint = endpointWithPort(server.endpoint.empty() ? server.ip : server.endpoint);
  return "[Interface]\nPrivateKey = " + privateKey + "\nAddress = " + address +
         (server.dns.empty() ? std::string() : "\nDNS = " + server.dns) + "\n\n[Peer]\nPublicKey = " +
         server.publicKey + "\nAllowedIPs = 0.0.0.0/0, ::/0\nEndpoint = " + endpoint + "\nPersistentKeepalive = 25\n";
}

}  // namespace corvane::backend
