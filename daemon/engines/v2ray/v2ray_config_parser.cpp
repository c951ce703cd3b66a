#include "daemon/engines/v2ray/v2ray_config_parser.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "daemon/engines/config_refusal.h"
#include "daemon/engines/json_text.h"

namespace corvane::daemon::engines::v2ray {
namespace {

using nlohmann::json;

constexpr std::array<std::string_view, 9> kOutboundProtocols = {"vmess", "vless", "trojan", "shadowsocks", "socks",
                                                                "http",  "freedom", "blackhole", "dns"};
constexpr std::array<std::string_view, 7> kOutboundKeys = {"protocol", "settings", "tag", "streamSettings",
                                                           "proxySettings", "mux", "sendThrough"};

Error at(const std::string& path, const std::string& what) { return configRefused(path + ": " + what); }

bool isLoopback(const std::string& address) {
  return address == "localhost" || address == "::1" || address.starts_with("127.");
}

bool endsWithFile(std::string_view key) {
  if (key.size() < 4) return false;
  std::string tail(key.substr(key.size() - 4));
  std::transform(tail.begin(), tail.end(), tail.begin(), [](unsigned char c) { return std::tolower(c); });
  return tail == "file";
}

// Walks a kept section for anything that would make v2ray read a file or drop a check.
Result<void> checkTree(const json& node, const std::string& path) {
  if (node.is_string()) {
    const auto& text = node.get_ref<const std::string&>();
    if (text.starts_with("ext:") || text.starts_with("ext-domain:") || text.starts_with("ext-ip:")) {
      return at(path, "reads the rule file " + excerpt(text));
    }
    if (text == "domainsocket") return at(path, "a domain socket names a file");
    return {};
  }
  if (node.is_array()) {
    for (std::size_t i = 0; i < node.size(); ++i) {
      if (auto r = checkTree(node[i], path + "[" + std::to_string(i) + "]"); !r) return r;
    }
    return {};
  }
  if (!node.is_object()) return {};
  for (const auto& [key, value] : node.items()) {
    const std::string child = path + "." + key;
    if (endsWithFile(key)) return at(child, "names a file");
    if (key == "dsSettings") return at(child, "a domain socket names a file");
    if (key == "allowInsecure" && value == true) return at(child, "turns certificate checks off");
    if (auto r = checkTree(value, child); !r) return r;
  }
  return {};
}

void collectServers(const json& outbound, std::vector<V2rayEndpoint>& servers) {
  const json* settings = outbound.contains("settings") ? &outbound["settings"] : nullptr;
  if (settings == nullptr || !settings->is_object()) return;
  for (const char* list : {"vnext", "servers"}) {
    if (!settings->contains(list) || !(*settings)[list].is_array()) continue;
    for (const auto& server : (*settings)[list]) {
      if (!server.is_object() || !server.contains("address") || !server["address"].is_string()) continue;
      V2rayEndpoint endpoint{server["address"].get<std::string>(), 0};
      if (server.contains("port") && server["port"].is_number_unsigned() && server["port"].get<std::uint64_t>() <= 65535) {
        endpoint.port = static_cast<std::uint16_t>(server["port"].get<std::uint64_t>());
      }
      servers.push_back(std::move(endpoint));
    }
  }
}

Result<void> checkOutbound(const json& outbound, const std::string& path) {
  if (!outbound.is_object()) return at(path, "must be an object");
  for (const auto& [key, value] : outbound.items()) {
    if (std::find(kOutboundKeys.begin(), kOutboundKeys.end(), key) == kOutboundKeys.end()) {
      return at(path + "." + key, "is not an accepted outbound key");
    }
  }
  if (!outbound.contains("protocol") || !outbound["protocol"].is_string()) return at(path, "has no \"protocol\"");
  const auto& protocol = outbound["protocol"].get_ref<const std::string&>();
  if (std::find(kOutboundProtocols.begin(), kOutboundProtocols.end(), protocol) == kOutboundProtocols.end()) {
    return at(path + ".protocol", "outbound protocol " + excerpt(protocol) + " is not accepted");
  }
  for (const char* key : {"settings", "streamSettings", "proxySettings", "mux"}) {
    if (outbound.contains(key) && !outbound[key].is_object()) return at(path + "." + key, "must be an object");
  }
  if (outbound.contains("streamSettings") && outbound["streamSettings"].contains("sockopt") &&
      !outbound["streamSettings"]["sockopt"].is_object()) {
    return at(path + ".streamSettings.sockopt", "must be an object");
  }
  if (outbound.contains("sendThrough")) {
    return at(path + ".sendThrough", "the service chooses the source address");
  }
  return checkTree(outbound, path);
}

Result<void> checkInbounds(const json& inbounds, const std::string& path) {
  if (!inbounds.is_array()) return at(path, "must be an array");
  for (std::size_t i = 0; i < inbounds.size(); ++i) {
    const std::string item = path + "[" + std::to_string(i) + "]";
    const json& inbound = inbounds[i];
    if (!inbound.is_object()) return at(item, "must be an object");
    if (!inbound.contains("listen")) return at(item, "listens on every address; only loopback is accepted");
    if (!inbound["listen"].is_string() || !isLoopback(inbound["listen"].get<std::string>())) {
      return at(item + ".listen", "listens off loopback on " + excerpt(inbound["listen"].dump()));
    }
  }
  return {};
}

Result<void> readLog(const json& log, V2rayConfig& config) {
  if (!log.is_object()) return at("log", "must be an object");
  for (const auto& [key, value] : log.items()) {
    if (key == "loglevel") {
      static constexpr std::array<std::string_view, 5> kLevels = {"debug", "info", "warning", "error", "none"};
      if (!value.is_string() || std::find(kLevels.begin(), kLevels.end(), value.get<std::string>()) == kLevels.end()) {
        return at("log.loglevel", "must be debug, info, warning, error or none");
      }
      config.logLevel = value.get<std::string>();
    } else if ((key == "access" || key == "error") && value.is_string() &&
               (value.get<std::string>().empty() || value.get<std::string>() == "none")) {
      continue;  // no file: the same as leaving it out
    } else if (key == "access" || key == "error") {
      return at("log." + key, "writes the log file " + excerpt(value.dump()));
    } else {
      return at("log." + key, "is not an accepted key");
    }
  }
  return {};
}

}  // namespace

Result<V2rayConfig> parseV2rayConfig(std::string_view text) {
  auto parsed = parseJsonText(text, "the V2ray configuration", kMaxV2rayConfigBytes);
  if (!parsed) return parsed.error();
  const json& root = *parsed;
  V2rayConfig config;
  for (const auto& [key, value] : root.items()) {
    if (key == "log") {
      if (auto r = readLog(value, config); !r) return r.error();
    } else if (key == "inbounds") {
      if (auto r = checkInbounds(value, "inbounds"); !r) return r.error();
    } else if (key == "outbounds") {
      if (!value.is_array() || value.empty() || value.size() > 32) return at("outbounds", "must be 1 to 32 outbounds");
      for (std::size_t i = 0; i < value.size(); ++i) {
        if (auto r = checkOutbound(value[i], "outbounds[" + std::to_string(i) + "]"); !r) return r.error();
        collectServers(value[i], config.servers);
      }
      config.outbounds = value;
    } else if (key == "routing" || key == "dns" || key == "policy") {
      if (!value.is_object()) return at(key, "must be an object");
      if (auto r = checkTree(value, key); !r) return r.error();
      (key == "routing" ? config.routing : key == "dns" ? config.dns : config.policy) = value;
    } else if (key == "api" || key == "stats" || key == "reverse") {
      return at(key, "opens a control or relay interface; not accepted");
    } else if (key == "inbound" || key == "outbound" || key == "inboundDetour" || key == "outboundDetour") {
      return at(key, "is the old form; use \"inbounds\" and \"outbounds\"");
    } else {
      return at(key, "is not an accepted section");
    }
  }
  if (config.outbounds.empty()) return at("outbounds", "is missing");
  return config;
}

}  // namespace corvane::daemon::engines::v2ray
