#include "servers/server_catalogue.h"

#include <algorithm>
#include <map>
#include <stdexcept>

#include "servers/flag_table.h"
#include "servers/search_folding.h"

namespace corvane::servers {

ServerCatalogue::ServerCatalogue(std::vector<api::IPBundle> servers)
    : servers_(std::move(servers)) {
  // std::map<std::string> orders by unsigned bytes, which for UTF-8 is code-point order.
  std::map<std::string, std::size_t> byName;
  for (std::size_t i = 0; i < servers_.size(); ++i) {
    const api::IPBundle& server = servers_[i];
    const std::string& name = server.countryName ? *server.countryName : std::string();
    auto [it, inserted] = byName.try_emplace(name, countries_.size());
    if (inserted) countries_.push_back(Country{name, foldForSearch(name), false, {}, {}});
    Country& country = countries_[it->second];
    country.named = country.named || server.countryName.has_value();
    country.members[0].push_back(i);
    for (const ProtocolInfo& info : protocolTable()) {
      if (protocolMatchesType(info.protocol, server.type)) {
        country.members[static_cast<std::size_t>(info.protocol) + 1].push_back(i);
      }
    }
  }
  std::vector<Country> ordered;
  ordered.reserve(countries_.size());
  for (auto& [name, index] : byName) ordered.push_back(std::move(countries_[index]));
  countries_ = std::move(ordered);
  for (Country& country : countries_) {
    for (std::size_t f = 0; f < kFilters; ++f) {
      if (!country.members[f].empty()) {
        country.flags[f] = flagAssetName(servers_[country.members[f].front()].countryCode);
      }
    }
  }
}

std::vector<ServerSection> ServerCatalogue::sections(std::optional<VpnProtocol> protocol,
                                                     std::string_view searchText) const {
  const std::size_t filter = protocol ? static_cast<std::size_t>(*protocol) + 1 : 0;
  const std::string foldedSearch = searchText.empty() ? std::string() : foldForSearch(searchText);
  // Null for a catalogue nobody shares: its sections are then valid while it is.
  const std::shared_ptr<const ServerCatalogue> owner = weak_from_this().lock();
  std::vector<ServerSection> result;
  result.reserve(countries_.size());
  for (const Country& country : countries_) {
    const std::vector<std::size_t>& members = country.members[filter];
    if (members.empty()) continue;
    if (!searchText.empty() &&
        (!country.named || !foldedContains(country.foldedName, foldedSearch))) {
      continue;
    }
    result.push_back(ServerSection{country.name, country.flags[filter], members, owner});
  }
  return result;
}

const api::IPBundle& ServerSection::server(std::size_t position) const {
  if (!catalogue) throw std::logic_error("the section's catalogue is not shared: read its servers from it");
  return catalogue->servers().at(serverIndices[position]);
}

}  // namespace corvane::servers
