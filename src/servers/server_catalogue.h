#pragma once
// The picker's catalogue, indexed for filtering as the user types. Built once per catalogue
// refresh: servers are grouped by country name (absent counts as ""), the groups ordered by
// plain code-point comparison (case-sensitive: "Zambia" before "albania"), and within each
// group the servers of every protocol listed in catalogue order. A keystroke then tests only
// the distinct country names against the folded search text, never the servers one by one.
#include <array>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "api/records/ip_bundle.h"
#include "servers/vpn_protocol.h"

namespace corvane::servers {

class ServerCatalogue;

// One country section as the picker lists it. Its views point into the catalogue that made
// it, and a section holds that catalogue (when it is shared, as the picker's is), so a
// section kept across a refresh that replaced the picker's catalogue stays readable.
struct ServerSection {
  std::string_view countryName;               // "" for servers without a country name
  std::optional<std::string_view> flagAsset;  // from the first listed server's countryCode
  std::span<const std::size_t> serverIndices;  // into the making catalogue's servers(), in order
  std::shared_ptr<const ServerCatalogue> catalogue;

  // The section's `position`-th server, from its own catalogue (not the picker's current one).
  const api::IPBundle& server(std::size_t position) const;
};

class ServerCatalogue : public std::enable_shared_from_this<ServerCatalogue> {
 public:
  ServerCatalogue() = default;
  explicit ServerCatalogue(std::vector<api::IPBundle> servers);

  // The sections shown for `protocol` (none: every protocol) and `searchText` (empty:
  // everything), with empty sections left out.
  std::vector<ServerSection> sections(std::optional<VpnProtocol> protocol,
                                      std::string_view searchText) const;

  const std::vector<api::IPBundle>& servers() const { return servers_; }

 private:
  // Index 0 is "no protocol chosen"; 1..4 follow VpnProtocol.
  static constexpr std::size_t kFilters = 5;

  struct Country {
    std::string name;
    std::string foldedName;
    bool named = false;  // at least one server has a countryName (a search can match)
    std::array<std::vector<std::size_t>, kFilters> members;  // indices into servers_
    std::array<std::optional<std::string_view>, kFilters> flags;  // of each first member
  };

  std::vector<api::IPBundle> servers_;
  std::vector<Country> countries_;  // ordered by name
};

}  // namespace corvane::servers
