#include "daemon/engines/wireguard/wireguard_config_parser.h"

#include <fmt/format.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <optional>

namespace corvane::daemon::engines::wireguard {
namespace {

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return std::tolower(x) == std::tolower(y); });
}

std::optional<int> number(std::string_view text, int low, int high) {
  int value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < low || value > high) {
    return std::nullopt;
  }
  return value;
}

bool isHostName(std::string_view s) {
  if (s.empty() || s.size() > 253 || s.front() == '-' || s.front() == '.') return false;
  return std::all_of(s.begin(), s.end(), [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.'; });
}

template <typename F>
bool forEachListItem(std::string_view value, F&& each) {
  while (true) {
    auto comma = value.find(',');
    if (!each(trim(value.substr(0, comma)))) return false;
    if (comma == std::string_view::npos) return true;
    value.remove_prefix(comma + 1);
  }
}

enum class Section { none, interface, peer };

class Parser {
 public:
  ConfigParse run(std::string_view text);

 private:
  std::optional<std::string> keyLine(std::string_view key, std::string_view value);
  std::optional<std::string> interfaceKey(std::string_view key, std::string_view value);
  std::optional<std::string> peerKey(std::string_view key, std::string_view value);
  std::optional<std::string> checkComplete() const;

  WireGuardConfig config_;
  Section section_ = Section::none;
  bool sawInterface_ = false;
  bool sawPrivateKey_ = false;
  bool sawMtu_ = false;
  bool peerHasKey_ = false;
  bool peerHasPsk_ = false;
  bool peerHasKeepalive_ = false;
};

ConfigParse Parser::run(std::string_view text) {
  if (text.size() > kMaxConfigBytes) {
    return fmt::format("configuration of {} bytes is over the limit of {}", text.size(), kMaxConfigBytes);
  }
  std::size_t lineNumber = 0;
  while (!text.empty()) {
    auto newline = text.find('\n');
    std::string_view raw = text.substr(0, newline);
    text = newline == std::string_view::npos ? std::string_view() : text.substr(newline + 1);
    ++lineNumber;

    if (std::any_of(raw.begin(), raw.end(), [](char c) { return (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\r') || c == 0x7f; })) {
      return fmt::format("line {}: contains a control character", lineNumber);
    }
    std::string_view line = trim(raw.substr(0, raw.find('#')));
    if (line.empty()) continue;

    if (line.front() == '[') {
      if (equalsNoCase(line, "[Interface]")) {
        if (sawInterface_) return fmt::format("line {}: a second [Interface] section", lineNumber);
        sawInterface_ = true;
        section_ = Section::interface;
      } else if (equalsNoCase(line, "[Peer]")) {
        if (auto problem = checkComplete()) return fmt::format("line {}: {}", lineNumber, *problem);
        if (config_.peers.size() == kMaxPeers) return fmt::format("line {}: more than {} peers", lineNumber, kMaxPeers);
        config_.peers.emplace_back();
        peerHasKey_ = peerHasPsk_ = peerHasKeepalive_ = false;
        section_ = Section::peer;
      } else {
        return fmt::format("line {}: unknown section `{}'", lineNumber, line.substr(0, 80));
      }
      continue;
    }

    auto equals = line.find('=');
    if (equals == std::string_view::npos) {
      return fmt::format("line {}: expected `Key = Value', got `{}'", lineNumber, line.substr(0, 80));
    }
    std::string_view key = trim(line.substr(0, equals));
    std::string_view value = trim(line.substr(equals + 1));
    if (auto problem = keyLine(key, value)) return fmt::format("line {}: {}", lineNumber, *problem);
  }
  if (!sawInterface_) return std::string("no [Interface] section");
  if (auto problem = checkComplete()) return *problem;
  if (config_.addresses.empty()) return std::string("[Interface] has no Address");
  if (config_.peers.empty()) return std::string("no [Peer] section");
  return std::move(config_);
}

std::optional<std::string> Parser::checkComplete() const {
  if (section_ == Section::interface && !sawPrivateKey_) return "[Interface] has no PrivateKey";
  if (section_ == Section::peer) {
    const auto& peer = config_.peers.back();
    if (!peerHasKey_) return "[Peer] has no PublicKey";
    if (peer.endpointHost.empty()) return "[Peer] has no Endpoint";
  }
  return std::nullopt;
}

std::optional<std::string> Parser::keyLine(std::string_view key, std::string_view value) {
  for (std::string_view hook : {"PreUp", "PostUp", "PreDown", "PostDown"}) {
    if (equalsNoCase(key, hook)) {
      return fmt::format("`{}' is refused: it runs a shell command as root (`{} = {}')", hook, key, value.substr(0, 80));
    }
  }
  if (equalsNoCase(key, "SaveConfig")) return fmt::format("`SaveConfig' is refused: it writes the configuration to a file");
  if (value.empty()) return fmt::format("`{}' has no value", key.substr(0, 80));
  switch (section_) {
    case Section::none:
      return fmt::format("`{}' outside a section", key.substr(0, 80));
    case Section::interface:
      return interfaceKey(key, value);
    case Section::peer:
      return peerKey(key, value);
  }
  return std::nullopt;
}

std::optional<std::string> Parser::interfaceKey(std::string_view key, std::string_view value) {
  if (equalsNoCase(key, "PrivateKey")) {
    if (sawPrivateKey_) return "a second PrivateKey";
    auto parsed = WireGuardKey::fromBase64(value);
    // The value is a secret: say what is wrong with it without repeating it.
    if (!parsed) return "PrivateKey is not a base64 32-byte key (value not shown)";
    config_.privateKey = *parsed;
    sawPrivateKey_ = true;
    return std::nullopt;
  }
  if (equalsNoCase(key, "Address")) {
    std::optional<std::string> problem;
    forEachListItem(value, [&](std::string_view item) {
      auto prefix = net::IpPrefix::parse(item);
      if (!prefix) {
        problem = fmt::format("Address `{}' is not an IP address with an optional /prefix", item.substr(0, 80));
        return false;
      }
      config_.addresses.push_back(*prefix);
      return true;
    });
    return problem;
  }
  if (equalsNoCase(key, "DNS")) {
    std::optional<std::string> problem;
    forEachListItem(value, [&](std::string_view item) {
      if (auto address = net::IpPrefix::parseAddress(item)) {
        config_.dnsServers.push_back(*address);
      } else if (isHostName(item)) {
        config_.dnsSearchDomains.emplace_back(item);
      } else {
        problem = fmt::format("DNS `{}' is neither an IP address nor a search domain", item.substr(0, 80));
        return false;
      }
      return true;
    });
    return problem;
  }
  if (equalsNoCase(key, "MTU")) {
    if (sawMtu_) return "a second MTU";
    // 576 is the least every IPv4 host must take; above 9000 no link carries it.
    auto mtu = number(value, 576, 9000);
    if (!mtu) return fmt::format("MTU `{}' is not a number from 576 to 9000", value.substr(0, 80));
    config_.mtu = *mtu;
    sawMtu_ = true;
    return std::nullopt;
  }
  return fmt::format("unknown key `{}' in [Interface]", key.substr(0, 80));
}

std::optional<std::string> Parser::peerKey(std::string_view key, std::string_view value) {
  auto& peer = config_.peers.back();
  if (equalsNoCase(key, "PublicKey")) {
    if (peerHasKey_) return "a second PublicKey in one [Peer]";
    auto parsed = WireGuardKey::fromBase64(value);
    if (!parsed) return fmt::format("PublicKey `{}' is not a base64 32-byte key", value.substr(0, 80));
    peer.publicKey = *parsed;
    peerHasKey_ = true;
    return std::nullopt;
  }
  if (equalsNoCase(key, "PresharedKey")) {
    if (peerHasPsk_) return "a second PresharedKey in one [Peer]";
    auto parsed = WireGuardKey::fromBase64(value);
    if (!parsed) return "PresharedKey is not a base64 32-byte key (value not shown)";
    peer.presharedKey = *parsed;
    peerHasPsk_ = true;
    return std::nullopt;
  }
  if (equalsNoCase(key, "AllowedIPs")) {
    std::optional<std::string> problem;
    forEachListItem(value, [&](std::string_view item) {
      auto prefix = net::IpPrefix::parse(item);
      if (!prefix) {
        problem = fmt::format("AllowedIPs `{}' is not an IP prefix", item.substr(0, 80));
        return false;
      }
      peer.allowedIps.push_back(*prefix);
      return true;
    });
    return problem;
  }
  if (equalsNoCase(key, "Endpoint")) {
    if (!peer.endpointHost.empty()) return "a second Endpoint in one [Peer]";
    std::string_view host;
    std::string_view port;
    if (value.front() == '[') {
      auto close = value.find("]:");
      if (close == std::string_view::npos) return fmt::format("Endpoint `{}' is not [IPv6]:port", value.substr(0, 80));
      host = value.substr(1, close - 1);
      port = value.substr(close + 2);
      if (!net::IpPrefix::parseAddress(host)) return fmt::format("Endpoint `{}' has no IPv6 address in brackets", value.substr(0, 80));
    } else {
      auto colon = value.rfind(':');
      if (colon == std::string_view::npos) return fmt::format("Endpoint `{}' has no :port", value.substr(0, 80));
      host = value.substr(0, colon);
      port = value.substr(colon + 1);
      if (!net::IpPrefix::parseAddress(host) && !isHostName(host)) {
        return fmt::format("Endpoint `{}' is not host:port", value.substr(0, 80));
      }
    }
    auto portNumber = number(port, 1, 65535);
    if (!portNumber) return fmt::format("Endpoint `{}' has no port from 1 to 65535", value.substr(0, 80));
    peer.endpointHost = std::string(host);
    peer.endpointPort = static_cast<std::uint16_t>(*portNumber);
    return std::nullopt;
  }
  if (equalsNoCase(key, "PersistentKeepalive")) {
    if (peerHasKeepalive_) return "a second PersistentKeepalive in one [Peer]";
    peerHasKeepalive_ = true;
    if (equalsNoCase(value, "off")) return std::nullopt;
    auto seconds = number(value, 0, 65535);
    if (!seconds) return fmt::format("PersistentKeepalive `{}' is not off or 0 to 65535", value.substr(0, 80));
    if (*seconds > 0) peer.persistentKeepalive = static_cast<std::uint16_t>(*seconds);
    return std::nullopt;
  }
  return fmt::format("unknown key `{}' in [Peer]", key.substr(0, 80));
}

}  // namespace

ConfigParse parseWireGuardConfig(std::string_view text) { return Parser().run(text); }

}  // namespace corvane::daemon::engines::wireguard
