#pragma once
// One server entry of the account's catalogue, as the login answer lists it under "ip_bundle".
// Every field is optional: a missing key or a JSON null leaves it absent; a present value of the
// wrong JSON type fails the whole decode. Flags such as isFreeServer are numbers on the wire
// (0/1), not JSON booleans, so they are Int fields.
#include <cstdint>
#include <optional>
#include <string>

namespace corvane::api {

struct IPBundle {
  std::optional<std::string> bundleName;          // "bundleName"
  std::optional<std::string> ipName;              // "ipName"
  std::optional<std::string> ip;                  // "ip"
  std::optional<std::string> note;                // "note"
  std::optional<std::int64_t> network;            // "network"
  std::optional<std::string> config;              // "config" (Base64 of the engine configuration)
  std::optional<std::string> typeText;            // "typeTxt"
  std::optional<std::int64_t> type;               // "type"
  std::optional<std::int64_t> priority;           // "priority"
  std::optional<std::string> countryCode;         // "countryCode"
  std::optional<std::int64_t> vpnServerID;        // "vpn_server_id"
  std::optional<std::int64_t> connectionType;     // "connection_type"
  std::optional<std::string> sslIP;               // "ssl_ip"
  std::optional<std::int64_t> ipID;               // "ip_id"
  std::optional<std::string> site;                // "site"
  std::optional<std::string> platform;            // "platform"
  std::optional<std::string> countryName;         // "countryName"
  std::optional<std::int64_t> isStreamingServer;  // "is_online_stream"
  std::optional<std::int64_t> isGamingServer;     // "is_gaming"
  std::optional<std::int64_t> isFreeServer;       // "is_free"
  std::optional<std::int64_t> isHighSpeedServer;  // "is_fast_server"
  std::optional<std::int64_t> isAdBlockServer;    // "is_adblocker"
  std::optional<std::string> ipConfig;            // "ip_config"
  std::optional<std::string> serverCity;          // "server_city"
  std::optional<std::string> lng;                 // "lng" (longitude as text)
  std::optional<std::string> lat;                 // "lat" (latitude as text)

  friend bool operator==(const IPBundle&, const IPBundle&) = default;
};

}  // namespace corvane::api
