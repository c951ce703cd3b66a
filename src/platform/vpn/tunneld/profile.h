#pragma once
// A tunnel configuration handed over in a start request: the text itself, never a path.
#include <string>

namespace corvane::platform::tunneld {

struct Profile {
  std::string engine;   // "wireguard", "openvpn", "shadowsocks" or "v2ray"
  std::string content;  // the configuration text
  std::string name;

  friend bool operator==(const Profile&, const Profile&) = default;
};

}  // namespace corvane::platform::tunneld
