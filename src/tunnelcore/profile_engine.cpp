#include "tunnelcore/profile_engine.h"

#include <nlohmann/json.hpp>

namespace corvane::tunnelcore {
namespace {

constexpr const char* kDomain = "Profile";

std::string_view trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t\r\n");
  return text.substr(first, last - first + 1);
}

// Calls `visit` with each line, trimmed, until it returns true.
template <typename Visit>
bool anyLine(std::string_view text, Visit visit) {
  while (!text.empty()) {
    const auto end = text.find('\n');
    if (visit(trimmed(text.substr(0, end)))) return true;
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return false;
}

}  // namespace

Result<std::string> profileEngine(std::string_view content) {
  const std::string_view text = trimmed(content);
  if (text.empty() || text == "{}") {
    return Error(kDomain, 0, "the profile has no configuration yet: choose a server first");
  }
  if (text.front() == '{') {
    const auto json = nlohmann::json::parse(text, nullptr, /*allow_exceptions=*/false);
    if (json.is_object()) {
      if (json.contains("inbounds") || json.contains("outbounds")) return std::string("v2ray");
      if (json.contains("server") && json.contains("method")) return std::string("shadowsocks");
    }
  } else {
    // The other form the tunnel service takes for Shadowsocks: one ss:// link.
    if (text.rfind("ss://", 0) == 0 && text.find_first_of(" \t\r\n") == std::string_view::npos) {
      return std::string("shadowsocks");
    }
    if (anyLine(text, [](std::string_view line) { return line == "[Interface]" || line == "[Peer]"; })) {
      return std::string("wireguard");
    }
    if (anyLine(text, [](std::string_view line) { return line.rfind("remote ", 0) == 0; })) {
      return std::string("openvpn");
    }
  }
  return Error(kDomain, 0,
               "the profile's configuration (" + std::to_string(content.size()) +
                   " bytes) is not one of WireGuard, OpenVPN, Shadowsocks or V2ray");
}

}  // namespace corvane::tunnelcore
