// Feeds arbitrary bytes to the Shadowsocks reader (ss:// links and JSON objects). An accepted
// configuration must yield an ss-redir file that names no plugin and listens on loopback.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include <nlohmann/json.hpp>

#include "daemon/engines/shadowsocks/shadowsocks_config_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  auto config = corvane::daemon::engines::shadowsocks::parseShadowsocksConfig(text);
  if (!config) return 0;
  const auto written = nlohmann::json::parse(config->toSsRedirJson(1080), nullptr, false);
  if (written.is_discarded() || written.contains("plugin") || written["local_address"] != "127.0.0.1") std::abort();
  return 0;
}
