#include "daemon/engines/shadowsocks/shadowsocks_fields.h"

#include <algorithm>
#include <array>

#include "daemon/engines/config_refusal.h"
#include "securestore/utf8.h"

namespace corvane::daemon::engines::shadowsocks {
namespace {

constexpr std::array<std::string_view, 5> kAeadMethods = {"aes-128-gcm", "aes-192-gcm", "aes-256-gcm",
                                                          "chacha20-ietf-poly1305", "xchacha20-ietf-poly1305"};
constexpr std::array<std::string_view, 17> kStreamMethods = {
    "rc4-md5",          "aes-128-cfb",      "aes-192-cfb", "aes-256-cfb", "aes-128-ctr",   "aes-192-ctr",
    "aes-256-ctr",      "bf-cfb",           "camellia-128-cfb", "camellia-192-cfb", "camellia-256-cfb",
    "salsa20",          "chacha20",         "chacha20-ietf", "table",      "none",          "plain"};

}  // namespace

Result<void> checkMethod(const std::string& method, std::string_view where) {
  if (std::find(kAeadMethods.begin(), kAeadMethods.end(), method) != kAeadMethods.end()) return {};
  if (std::find(kStreamMethods.begin(), kStreamMethods.end(), method) != kStreamMethods.end()) {
    return configRefused(std::string(where) + ": cipher " + excerpt(method) +
                         " has no integrity protection; use an AEAD cipher such as chacha20-ietf-poly1305");
  }
  return configRefused(std::string(where) + ": unknown cipher " + excerpt(method));
}

bool isHostName(std::string_view host) {
  return !host.empty() && host.size() <= 253 && host.front() != '-' &&
         std::all_of(host.begin(), host.end(), [](char c) {
           return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
                  c == '-' || c == ':';
         });
}

bool isCleanSecret(std::string_view text) {
  return !text.empty() && text.size() <= 512 && securestore::isValidUtf8(text) &&
         std::none_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

}  // namespace corvane::daemon::engines::shadowsocks
