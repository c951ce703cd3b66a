#pragma once
// The --catalogue file: the servers logins hand out, with their configuration per protocol, so
// a test or an operator can point clients at servers they run. Format (JSON):
//
//   {"servers": [
//     {"vpn_server_id": 1, "ip_id": 10, "type": 5, "ipName": "Lab WG", "countryCode": "DE",
//      "countryName": "Germany", "ip": "10.99.0.1",
//      "wireguard": {"public_key": "<Base64 of 32 bytes>", "endpoint": "10.99.0.1:51820",
//                    "dns": "10.99.0.1"}},
//     {"vpn_server_id": 2, "ip_id": 11, "type": 1, "ipName": "Lab OpenVPN", "countryCode": "NL",
//      "countryName": "Netherlands", "ip": "10.99.1.1", "config": "client\ndev tun\n..."}
//   ]}
//
// "type" is 5 WireGuard, 1 or 6 OpenVPN, 4 Shadowsocks, 7 V2ray. "config" is the plain
// configuration text (the backend Base64-encodes it for the catalogue); WireGuard servers need
// "wireguard" instead. Any other IPBundle key may be given with its JSON type; unknown keys are
// refused, so a misspelt key is found at start-up, not on a client.
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "backend/catalogue_entry.h"

namespace corvane::backend {

class CatalogueFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Throws CatalogueFileError naming the file and the JSON path of the first fault.
std::vector<CatalogueEntry> readCatalogueFile(const std::filesystem::path& file);
// The same for text already read; `origin` names it in errors.
std::vector<CatalogueEntry> parseCatalogue(const std::string& text, const std::string& origin);

}  // namespace corvane::backend
