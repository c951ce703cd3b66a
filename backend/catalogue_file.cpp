#include "backend/catalogue_file.h"

#include <array>
#include <cstdint>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include <nlohmann/json.hpp>

#include "platform/core/base64.h"
#include "backend/json_body.h"

namespace corvane::backend {
namespace {

using nlohmann::json;

constexpr std::size_t kMaxFileBytes = 64 * 1024 * 1024;
constexpr std::size_t kMaxServers = 100000;

enum class Kind { text, integer };

// The IPBundle keys and their JSON types, as logins send them.
const std::map<std::string, Kind>& bundleKeys() {
  static const std::map<std::string, Kind> keys = {
      {"bundleName", Kind::text},     {"ipName", Kind::text},          {"ip", Kind::text},
      {"note", Kind::text},           {"network", Kind::integer},      {"typeTxt", Kind::text},
      {"type", Kind::integer},        {"priority", Kind::integer},     {"countryCode", Kind::text},
      {"vpn_server_id", Kind::integer}, {"connection_type", Kind::integer}, {"ssl_ip", Kind::text},
      {"ip_id", Kind::integer},       {"site", Kind::text},            {"platform", Kind::text},
      {"countryName", Kind::text},    {"is_online_stream", Kind::integer}, {"is_gaming", Kind::integer},
      {"is_free", Kind::integer},     {"is_fast_server", Kind::integer}, {"is_adblocker", Kind::integer},
      {"ip_config", Kind::text},      {"server_city", Kind::text},     {"lng", Kind::text},
      {"lat", Kind::text},            {"config", Kind::text},
  };
  return keys;
}

const char* typeText(std::int64_t type) {
  switch (type) {
    case 5: return "WireGuard";
    case 1: return "OpenVPN UDP";
    case 6: return "OpenVPN TCP";
    case 4: return "Shadowsocks";
    case 7: return "V2ray";
    default: return nullptr;
  }
}

struct Context {
  std::string origin;
  [[noreturn]] void fail(const std::string& path, const std::string& why) const {
    throw CatalogueFileError(origin + ": " + path + ": " + why);
  }
};

// As the tunnel service reads it: strict, canonical, 32 bytes. A key it would refuse must not
// reach a catalogue that logins hand out.
bool isWireGuardKey(const std::string& text) {
  std::array<std::uint8_t, 32> key{};
  return platform::base64DecodeInto(text, key, {.canonical = true}) == key.size();
}

std::string optionalString(const Context& c, const json& object, const std::string& path, const char* key) {
  const auto it = object.find(key);
  if (it == object.end()) return {};
  if (!it->is_string()) c.fail(path + "." + key, "expected text");
  return it->get<std::string>();
}

CatalogueEntry readServer(const Context& c, const json& server, const std::string& path) {
  if (!server.is_object()) c.fail(path, "expected an object");
  CatalogueEntry entry;
  json bundle = json::object();
  for (const auto& [key, value] : server.items()) {
    if (key == "wireguard") continue;
    const auto known = bundleKeys().find(key);
    if (known == bundleKeys().end()) c.fail(path + "." + key, "not a server key");
    const bool ok = known->second == Kind::text ? value.is_string() : value.is_number_integer();
    if (!ok) c.fail(path + "." + key, known->second == Kind::text ? "expected text" : "expected an integer");
    bundle[key] = value;
  }
  for (const char* required : {"vpn_server_id", "ip_id", "type", "ipName", "countryCode", "countryName", "ip"}) {
    if (!bundle.contains(required)) c.fail(path + "." + required, "missing");
  }
  const std::int64_t type = bundle["type"].get<std::int64_t>();
  if (!typeText(type)) c.fail(path + ".type", "expected 5 (WireGuard), 1 or 6 (OpenVPN), 4 (Shadowsocks) or 7 (V2ray)");
  if (bundle["countryCode"].get<std::string>().size() != 2) c.fail(path + ".countryCode", "expected two letters");

  const auto wg = server.find("wireguard");
  if (type == 5) {
    if (wg == server.end()) c.fail(path + ".wireguard", "missing (a WireGuard server needs its public key)");
    if (!wg->is_object()) c.fail(path + ".wireguard", "expected an object");
    for (const auto& [key, value] : wg->items()) {
      if (key != "public_key" && key != "endpoint" && key != "dns") c.fail(path + ".wireguard." + key, "not a WireGuard key");
    }
    entry.wireGuardPublicKey = optionalString(c, *wg, path + ".wireguard", "public_key");
    if (!isWireGuardKey(entry.wireGuardPublicKey)) {
      c.fail(path + ".wireguard.public_key", "expected the Base64 of 32 bytes, got `" + entry.wireGuardPublicKey + "'");
    }
    entry.wireGuardEndpoint = optionalString(c, *wg, path + ".wireguard", "endpoint");
    entry.wireGuardDns = optionalString(c, *wg, path + ".wireguard", "dns");
    const std::string endpoint = entry.wireGuardEndpoint.empty() ? bundle["ip"].get<std::string>() : entry.wireGuardEndpoint;
    if (!bundle.contains("config")) {
      bundle["config"] = "[Peer]\nPublicKey = " + entry.wireGuardPublicKey + "\nEndpoint = " + endpoint + "\n";
    }
  } else {
    if (wg != server.end()) c.fail(path + ".wireguard", "only WireGuard servers (type 5) take it");
    if (!bundle.contains("config") || bundle["config"].get<std::string>().empty()) {
      c.fail(path + ".config", "missing (the configuration text of this server)");
    }
  }
  bundle["config"] = platform::base64Encode(bundle["config"].get<std::string>());

  const std::string ip = bundle["ip"].get<std::string>();
  const json defaults = {{"bundleName", "Premium"}, {"note", ""},           {"network", 1},
                         {"typeTxt", typeText(type)}, {"priority", 1},       {"connection_type", 0},
                         {"ssl_ip", ip},             {"site", ""},          {"platform", "ios"},
                         {"is_online_stream", 0},    {"is_gaming", 0},      {"is_free", 0},
                         {"is_fast_server", 0},      {"is_adblocker", 0},   {"ip_config", ip},
                         {"server_city", ""},        {"lng", "0"},          {"lat", "0"}};
  for (const auto& [key, value] : defaults.items()) {
    if (!bundle.contains(key)) bundle[key] = value;
  }
  entry.bundle = std::move(bundle);
  return entry;
}

}  // namespace

std::vector<CatalogueEntry> parseCatalogue(const std::string& text, const std::string& origin) {
  const Context c{origin};
  if (jsonNestingDepth(text, 8) > 8) c.fail("$", "nested too deeply");
  json root;
  try {
    root = json::parse(text);
  } catch (const json::exception& e) {
    // Not only syntax: a number too large for any JSON number type is refused the same way.
    throw CatalogueFileError(origin + ": not JSON: " + e.what());
  }
  if (!root.is_object()) c.fail("$", "expected an object with \"servers\"");
  const auto servers = root.find("servers");
  if (servers == root.end() || !servers->is_array()) c.fail("servers", "expected a list of servers");
  if (servers->empty()) c.fail("servers", "the list is empty");
  if (servers->size() > kMaxServers) c.fail("servers", "more than " + std::to_string(kMaxServers) + " servers");
  std::vector<CatalogueEntry> entries;
  std::set<std::pair<std::int64_t, std::int64_t>> ids;
  for (std::size_t i = 0; i < servers->size(); ++i) {
    const std::string path = "servers[" + std::to_string(i) + "]";
    entries.push_back(readServer(c, (*servers)[i], path));
    const auto& b = entries.back().bundle;
    if (!ids.insert({b["vpn_server_id"].get<std::int64_t>(), b["ip_id"].get<std::int64_t>()}).second) {
      c.fail(path, "another server has the same vpn_server_id and ip_id");
    }
  }
  return entries;
}

std::vector<CatalogueEntry> readCatalogueFile(const std::filesystem::path& file) {
  std::error_code ec;
  const auto size = std::filesystem::file_size(file, ec);
  if (ec) throw CatalogueFileError(file.string() + ": cannot read: " + ec.message());
  if (size > kMaxFileBytes) throw CatalogueFileError(file.string() + ": larger than 64 MiB");
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  if (!in && !in.eof()) throw CatalogueFileError(file.string() + ": cannot read");
  return parseCatalogue(text.str(), file.string());
}

}  // namespace corvane::backend
