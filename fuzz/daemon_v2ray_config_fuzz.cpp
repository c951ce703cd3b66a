// Feeds arbitrary bytes to the V2ray reader. An accepted configuration, once the service has
// written its own inbounds, must listen on loopback only and carry no api or log file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include <nlohmann/json.hpp>

#include "daemon/engines/v2ray/v2ray_config_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  auto config = corvane::daemon::engines::v2ray::parseV2rayConfig(text);
  if (!config) return 0;
  const auto written = nlohmann::json::parse(config->render({1081, 1082, 7}), nullptr, false);
  if (written.is_discarded() || written.contains("api") || written["log"].size() != 1) std::abort();
  for (const auto& inbound : written["inbounds"]) {
    if (inbound["listen"] != "127.0.0.1") std::abort();
  }
  return 0;
}
