#include "daemon/engines/shadowsocks/shadowsocks_config_parser.h"

#include <algorithm>
#include <charconv>
#include <optional>

#include "daemon/engines/config_refusal.h"
#include "daemon/engines/json_text.h"
#include "daemon/engines/shadowsocks/shadowsocks_fields.h"
#include "daemon/engines/shadowsocks/shadowsocks_json.h"
#include "platform/core/base64.h"

namespace corvane::daemon::engines::shadowsocks {
namespace {

std::optional<std::uint16_t> parsePort(std::string_view text) {
  unsigned value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value == 0 || value > 65535) {
    return std::nullopt;
  }
  return static_cast<std::uint16_t>(value);
}

// Standard or URL-safe alphabet, padding optional (links in the wild use all four forms).
std::optional<std::string> decodeLinkBase64(std::string_view text) {
  return platform::base64Decode(text, {.eitherAlphabet = true, .paddingOptional = true});
}

std::optional<std::string> percentDecode(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out.push_back(text[i]);
      continue;
    }
    unsigned value = 0;
    if (i + 2 >= text.size()) return std::nullopt;
    auto [end, ec] = std::from_chars(text.data() + i + 1, text.data() + i + 3, value, 16);
    if (ec != std::errc() || end != text.data() + i + 3) return std::nullopt;
    out.push_back(static_cast<char>(value));
    i += 2;
  }
  return out;
}

Result<ShadowsocksConfig> fromParts(std::string_view userInfo, std::string_view hostPort) {
  const std::size_t colon = userInfo.find(':');
  if (colon == std::string_view::npos) return configRefused("ss:// link: no \"method:password\" before '@'");
  ShadowsocksConfig config;
  config.method = std::string(userInfo.substr(0, colon));
  config.password = std::string(userInfo.substr(colon + 1));
  if (auto method = checkMethod(config.method, "ss:// link"); !method) return method.error();
  if (!isCleanSecret(config.password)) return configRefused("ss:// link: the password is empty, longer than 512 bytes, not UTF-8 or holds control characters");

  std::string_view host;
  std::string_view port;
  if (hostPort.starts_with('[')) {
    const std::size_t close = hostPort.find(']');
    if (close == std::string_view::npos || hostPort.substr(close + 1, 1) != ":") {
      return configRefused("ss:// link: malformed address " + excerpt(hostPort));
    }
    host = hostPort.substr(1, close - 1);
    port = hostPort.substr(close + 2);
  } else {
    const std::size_t last = hostPort.rfind(':');
    if (last == std::string_view::npos) return configRefused("ss:// link: no port in " + excerpt(hostPort));
    host = hostPort.substr(0, last);
    port = hostPort.substr(last + 1);
  }
  if (!isHostName(host)) return configRefused("ss:// link: bad server address " + excerpt(host));
  auto portNumber = parsePort(port);
  if (!portNumber) return configRefused("ss:// link: bad port " + excerpt(port));
  config.host = std::string(host);
  config.port = *portNumber;
  return config;
}

Result<ShadowsocksConfig> parseLink(std::string_view link) {
  link.remove_prefix(5);  // "ss://"
  if (const std::size_t hash = link.find('#'); hash != std::string_view::npos) link = link.substr(0, hash);
  if (const std::size_t query = link.find('?'); query != std::string_view::npos) {
    const std::string_view params = link.substr(query + 1);
    if (params.starts_with("plugin=") || params.find("&plugin=") != std::string_view::npos) {
      return configRefused("ss:// link: 'plugin' runs a program; plugins are not accepted");
    }
    if (!params.empty()) return configRefused("ss:// link: unknown parameters " + excerpt(params));
    link = link.substr(0, query);
  }
  if (link.ends_with('/')) link.remove_suffix(1);
  const std::size_t at = link.rfind('@');
  if (at == std::string_view::npos) {
    // The older form: the whole "method:password@host:port" in Base64.
    auto decoded = decodeLinkBase64(link);
    if (!decoded) return configRefused("ss:// link: neither \"userinfo@host:port\" nor Base64");
    const std::size_t innerAt = decoded->rfind('@');
    if (innerAt == std::string::npos) return configRefused("ss:// link: the Base64 text holds no '@'");
    return fromParts(std::string_view(*decoded).substr(0, innerAt), std::string_view(*decoded).substr(innerAt + 1));
  }
  const std::string_view userInfo = link.substr(0, at);
  std::optional<std::string> plain;
  if (userInfo.find(':') != std::string_view::npos || userInfo.find('%') != std::string_view::npos) {
    plain = percentDecode(userInfo);
  } else {
    plain = decodeLinkBase64(userInfo);
  }
  if (!plain) return configRefused("ss:// link: cannot decode the user information");
  return fromParts(*plain, link.substr(at + 1));
}

}  // namespace

Result<ShadowsocksConfig> parseShadowsocksConfig(std::string_view text) {
  if (text.size() > kMaxShadowsocksConfigBytes) {
    return configRefused("the configuration is " + std::to_string(text.size()) + " bytes; at most " +
                         std::to_string(kMaxShadowsocksConfigBytes) + " are accepted");
  }
  std::string_view trimmed = text;
  while (!trimmed.empty() && std::string_view(" \t\r\n").find(trimmed.front()) != std::string_view::npos) trimmed.remove_prefix(1);
  while (!trimmed.empty() && std::string_view(" \t\r\n").find(trimmed.back()) != std::string_view::npos) trimmed.remove_suffix(1);
  if (trimmed.starts_with("ss://")) {
    if (std::any_of(trimmed.begin(), trimmed.end(), [](char c) { return static_cast<unsigned char>(c) <= 0x20; })) {
      return configRefused("ss:// link: spaces or control characters inside the link");
    }
    return parseLink(trimmed);
  }
  auto json = parseJsonText(trimmed, "the Shadowsocks configuration", kMaxShadowsocksConfigBytes);
  if (!json) return json.error();
  return parseShadowsocksJson(*json);
}

}  // namespace corvane::daemon::engines::shadowsocks
