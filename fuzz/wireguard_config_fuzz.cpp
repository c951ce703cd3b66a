// Feeds arbitrary text to the WireGuard configuration parser; a parsed configuration's keys
// must survive a round trip through base64.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "daemon/engines/wireguard/wireguard_config_parser.h"

namespace wg = corvane::daemon::engines::wireguard;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  auto parsed = wg::parseWireGuardConfig(text);
  if (auto* config = std::get_if<wg::WireGuardConfig>(&parsed)) {
    auto again = wg::WireGuardKey::fromBase64(config->privateKey.base64());
    if (!again || !(*again == config->privateKey)) std::abort();
    for (const auto& peer : config->peers) {
      if (peer.endpointHost.empty() || peer.endpointPort == 0) std::abort();
      for (const auto& prefix : peer.allowedIps) (void)prefix.text();
    }
  }
  return 0;
}
