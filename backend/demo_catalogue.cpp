#include "backend/demo_catalogue.h"

#include <sodium.h>

#include <array>
#include <cstdio>

#include "platform/core/base64.h"
#include "backend/demo_countries.h"

namespace corvane::backend {
namespace {

struct DemoProtocol {
  int type;
  const char* typeText;
  int port;
  int connectionType;  // 0 UDP, 1 TCP
};

constexpr DemoProtocol kProtocols[] = {
    {5, "WireGuard", 51820, 0}, {1, "OpenVPN UDP", 1194, 0}, {4, "Shadowsocks", 8388, 0},
    {7, "V2ray", 10086, 1},     {6, "OpenVPN TCP", 443, 1},
};

// 32 bytes that depend only on the server index and a purpose label.
std::array<unsigned char, 32> derived(size_t index, const std::string& label) {
  const std::string input = "corvane-demo/" + label + "/" + std::to_string(index);
  std::array<unsigned char, 32> out{};
  crypto_generichash(out.data(), out.size(), reinterpret_cast<const unsigned char*>(input.data()), input.size(),
                     nullptr, 0);
  return out;
}

std::string hex(const unsigned char* bytes, size_t n) {
  std::string out(n * 2 + 1, '\0');
  sodium_bin2hex(out.data(), out.size(), bytes, n);
  out.pop_back();
  return out;
}

std::string uuidFrom(const std::array<unsigned char, 32>& b) {
  const std::string h = hex(b.data(), 16);
  return h.substr(0, 8) + "-" + h.substr(8, 4) + "-4" + h.substr(13, 3) + "-a" + h.substr(17, 3) + "-" + h.substr(20, 12);
}

std::string openVpnConfig(const std::string& host, const DemoProtocol& p, const std::string& caPem) {
  return std::string("client\ndev tun\nproto ") + (p.connectionType == 1 ? "tcp-client" : "udp") + "\nremote " +
         host + " " + std::to_string(p.port) +
         "\nresolv-retry infinite\nnobind\npersist-key\npersist-tun\nremote-cert-tls server\n"
         "cipher AES-256-GCM\ndata-ciphers AES-256-GCM:CHACHA20-POLY1305\nauth SHA256\nverb 3\n<ca>\n" +
         caPem + (caPem.empty() || caPem.back() == '\n' ? "" : "\n") + "</ca>\n";
}

std::string shadowsocksConfig(const std::string& host, size_t index, const DemoProtocol& p) {
  const auto secret = derived(index, "ss");
  return nlohmann::json{{"server", host},
                        {"server_port", p.port},
                        {"password", hex(secret.data(), 12)},
                        {"method", "chacha20-ietf-poly1305"},
                        {"mode", "tcp_and_udp"},
                        {"timeout", 300}}
      .dump(2);
}

std::string v2rayConfig(const std::string& host, size_t index, const DemoProtocol& p) {
  using nlohmann::json;
  const json user = {{"id", uuidFrom(derived(index, "vmess"))}, {"alterId", 0}, {"security", "auto"}};
  const json outbound = {
      {"protocol", "vmess"},
      {"settings", {{"vnext", json::array({{{"address", host}, {"port", p.port}, {"users", json::array({user})}}})}}},
      {"streamSettings", {{"network", "tcp"}}}};
  const json inbound = {
      {"listen", "127.0.0.1"}, {"port", 10808}, {"protocol", "socks"}, {"settings", {{"udp", true}}}};
  return json{{"log", {{"loglevel", "warning"}}},
              {"inbounds", json::array({inbound})},
              {"outbounds", json::array({outbound})}}
      .dump(2);
}

std::string wireGuardPublicKey(size_t index) {
  const auto secret = derived(index, "wg");
  unsigned char pub[crypto_scalarmult_BYTES];
  crypto_scalarmult_base(pub, secret.data());
  return platform::base64Encode(std::string_view(reinterpret_cast<const char*>(pub), sizeof pub));
}

}  // namespace

std::vector<CatalogueEntry> demoCatalogue(size_t count, const std::string& caPem) {
  const auto countries = demoCountries();
  std::vector<CatalogueEntry> entries;
  entries.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    const DemoCountry& country = countries[i % countries.size()];
    // Shifting the protocol by one every round of countries gives each country every protocol.
    const DemoProtocol& protocol = kProtocols[(i + i / countries.size()) % std::size(kProtocols)];
    const std::string host = "127.0.0." + std::to_string(2 + i % 253);
    const std::string endpoint = host + ":" + std::to_string(protocol.port);
    const std::string ip = i % 3 == 2 ? endpoint : host;
    const size_t ordinal = i / countries.size() + 1;
    char name[96];
    std::snprintf(name, sizeof name, "%s #%02zu", country.city, ordinal);

    CatalogueEntry entry;
    std::string config;
    switch (protocol.type) {
      case 5:
        entry.wireGuardPublicKey = wireGuardPublicKey(i);
        entry.wireGuardDns = "10.66.0.1";
        config = "[Peer]\nPublicKey = " + entry.wireGuardPublicKey + "\nEndpoint = " + endpoint +
                 "\nAllowedIPs = 0.0.0.0/0, ::/0\n";
        break;
      case 4:
        config = shadowsocksConfig(host, i, protocol);
        break;
      case 7:
        config = v2rayConfig(host, i, protocol);
        break;
      default:
        config = openVpnConfig(host, protocol, caPem);
        break;
    }
    const bool free = i % 4 == 0;
    entry.bundle = {
        {"bundleName", free ? "Free" : "Premium"},
        {"ipName", name},
        {"ip", ip},
        {"note", "Demo server"},
        {"network", 1},
        {"config", platform::base64Encode(config)},
        {"typeTxt", protocol.typeText},
        {"type", protocol.type},
        {"priority", static_cast<int>(i % 10) + 1},
        {"countryCode", country.code},
        {"vpn_server_id", static_cast<std::int64_t>(100 + i)},
        {"connection_type", protocol.connectionType},
        {"ssl_ip", host},
        {"ip_id", static_cast<std::int64_t>(5000 + i)},
        {"site", "corvane.test"},
        {"platform", "ios"},
        {"countryName", country.name},
        {"is_online_stream", i % 3 == 0 ? 1 : 0},
        {"is_gaming", i % 5 == 1 ? 1 : 0},
        {"is_free", free ? 1 : 0},
        {"is_fast_server", i % 2 == 0 ? 1 : 0},
        {"is_adblocker", i % 6 == 0 ? 1 : 0},
        {"ip_config", endpoint},
        {"server_city", country.city},
        {"lng", country.lng},
        {"lat", country.lat},
    };
    entries.push_back(std::move(entry));
  }
  return entries;
}

}  // namespace corvane::backend
