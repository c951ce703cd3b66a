// Feeds arbitrary bytes to the OpenVPN allowlist. Whatever it accepts must read back the same
// after it is written out: a profile that changed meaning on the way to openvpn would let a
// refused directive through.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "daemon/engines/openvpn/openvpn_config.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  auto config = corvane::daemon::engines::openvpn::parseOpenVpnConfig(text);
  if (!config) return 0;
  auto again = corvane::daemon::engines::openvpn::parseOpenVpnConfig(config->render());
  if (!again || again->directives != config->directives || again->blocks != config->blocks) std::abort();
  return 0;
}
