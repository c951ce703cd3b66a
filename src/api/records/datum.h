#pragma once
// One signed-in device of the account, as the backend echoes back the device information that
// the login request sent.
#include <cstdint>
#include <optional>
#include <string>

namespace corvane::api {

struct Datum {
  std::optional<std::int64_t> id;             // "id"
  std::optional<std::int64_t> pinlistID;      // "pinlist_id"
  std::optional<std::string> username;        // "username"
  std::optional<std::string> password;        // "password" (never logged)
  std::optional<std::string> udid;            // "udid" (device identifier, never logged in full)
  std::optional<std::string> playerID;        // "player_id"
  std::optional<std::int64_t> appID;          // "app_id"
  std::optional<std::int64_t> deviceType;     // "device_type"
  std::optional<std::string> vpnAppVersion;   // "vpn_app_version"
  std::optional<std::string> brand;           // "brand"
  std::optional<std::string> model;           // "model"
  std::optional<std::string> osName;          // "os_name"
  std::optional<std::string> osVersion;       // "os_version"
  std::optional<std::string> osPlatform;      // "os_platform"
  std::optional<std::int64_t> isRootedPhone;  // "is_rooted_phone"
  std::optional<std::string> createdAt;       // "created_at"

  friend bool operator==(const Datum&, const Datum&) = default;
};

}  // namespace corvane::api
