#include "daemon/engines/shadowsocks/shadowsocks_json.h"

#include <array>

#include "daemon/engines/config_refusal.h"
#include "daemon/engines/shadowsocks/shadowsocks_fields.h"

namespace corvane::daemon::engines::shadowsocks {
namespace {

struct Refused {
  std::string_view key;
  std::string_view reason;
};

constexpr std::array kRefusedKeys = {
    Refused{"plugin", "runs a program; plugins are not accepted"},
    Refused{"plugin_opts", "configures a plugin; plugins are not accepted"},
    Refused{"plugin_args", "configures a plugin; plugins are not accepted"},
    Refused{"plugin_mode", "configures a plugin; plugins are not accepted"},
    Refused{"acl", "names a file"},
    Refused{"user", "changes the user ss-redir runs as"},
    Refused{"manager_address", "opens a control socket"},
    Refused{"tunnel_address", "belongs to ss-tunnel, not to a full tunnel"},
    Refused{"nameserver", "belongs to the server side"},
    Refused{"workers", "belongs to the server side"},
};

// Keys that are harmless and left to the service's own choice.
constexpr std::array<std::string_view, 5> kIgnoredKeys = {"remarks", "local_port", "ipv6_first", "reuse_port",
                                                          "mptcp"};

Error keyError(std::string_view key, const std::string& what) {
  return configRefused("key \"" + std::string(key) + "\": " + what);
}

bool isLoopback(const std::string& address) {
  return address == "localhost" || address == "::1" || address.starts_with("127.");
}

}  // namespace

Result<ShadowsocksConfig> parseShadowsocksJson(const nlohmann::json& json) {
  ShadowsocksConfig config;
  bool hasServer = false, hasPort = false, hasPassword = false, hasMethod = false;
  for (const auto& [key, value] : json.items()) {
    bool handled = false;
    for (const auto& refused : kRefusedKeys) {
      if (refused.key == key) return keyError(key, std::string(refused.reason));
    }
    for (std::string_view ignored : kIgnoredKeys) handled = handled || ignored == key;
    if (key == "server") {
      if (!value.is_string()) return keyError(key, "must be one host name or address (a text)");
      config.host = value.get<std::string>();
      if (!isHostName(config.host)) return keyError(key, "bad server address " + excerpt(config.host));
      hasServer = handled = true;
    } else if (key == "server_port") {
      if (!value.is_number_unsigned() || value.get<std::uint64_t>() == 0 || value.get<std::uint64_t>() > 65535) {
        return keyError(key, "must be a port from 1 to 65535");
      }
      config.port = static_cast<std::uint16_t>(value.get<std::uint64_t>());
      hasPort = handled = true;
    } else if (key == "password" || key == "key") {
      if (!value.is_string() || !isCleanSecret(value.get_ref<const std::string&>())) {
        return keyError(key, "must be a text of 1 to 512 characters without control characters");
      }
      if (key == "key") return keyError(key, "a raw key is not accepted; give the password");
      config.password = value.get<std::string>();
      hasPassword = handled = true;
    } else if (key == "method") {
      if (!value.is_string()) return keyError(key, "must be a cipher name");
      config.method = value.get<std::string>();
      if (auto method = checkMethod(config.method, "key \"method\""); !method) return method.error();
      hasMethod = handled = true;
    } else if (key == "mode") {
      const std::string mode = value.is_string() ? value.get<std::string>() : "";
      if (mode == "tcp_and_udp") config.mode = RelayMode::tcpAndUdp;
      else if (mode == "tcp_only") config.mode = RelayMode::tcpOnly;
      else if (mode == "udp_only") config.mode = RelayMode::udpOnly;
      else return keyError(key, "must be \"tcp_and_udp\", \"tcp_only\" or \"udp_only\"");
      handled = true;
    } else if (key == "timeout") {
      if (!value.is_number_unsigned() || value.get<std::uint64_t>() == 0 || value.get<std::uint64_t>() > 86400) {
        return keyError(key, "must be a number of seconds from 1 to 86400");
      }
      config.timeoutSeconds = static_cast<int>(value.get<std::uint64_t>());
      handled = true;
    } else if (key == "fast_open" || key == "no_delay") {
      if (!value.is_boolean()) return keyError(key, "must be true or false");
      (key == "fast_open" ? config.fastOpen : config.noDelay) = value.get<bool>();
      handled = true;
    } else if (key == "local_address") {
      if (!value.is_string() || !isLoopback(value.get<std::string>())) {
        return keyError(key, "would listen off loopback; the service listens on 127.0.0.1 only");
      }
      handled = true;
    }
    if (!handled) return keyError(key, "is not an accepted key");
  }
  if (!hasServer) return configRefused("key \"server\" is missing");
  if (!hasPort) return configRefused("key \"server_port\" is missing");
  if (!hasPassword) return configRefused("key \"password\" is missing");
  if (!hasMethod) return configRefused("key \"method\" is missing");
  return config;
}

}  // namespace corvane::daemon::engines::shadowsocks
