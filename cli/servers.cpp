// corvanectl servers: the server picker's list, grouped and ordered as the picker shows it.
#include <iostream>
#include <set>

#include "command_support.h"
#include "picker_session.h"

namespace corvane::cli {
namespace {

struct ServersOptions {
  std::optional<std::string> protocol;
  std::string search;
  bool ping = false;
};

int runServers(const GlobalOptions& global, const ServersOptions& options) {
  std::optional<servers::VpnProtocol> protocol;
  if (options.protocol) {
    protocol = servers::protocolFromName(*options.protocol);
    if (!protocol) {
      return failWith(global, "unknown protocol `" + *options.protocol +
                                  "' (wireguard, openvpn, shadowsocks, v2ray)", kExitUsage);
    }
  }
  ClientSession session({.withLatency = options.ping});
  if (!requireSignedIn(session, global)) return kExitFailure;
  PickerSession picker(session);
  // An empty list printed with success would hide a backend that is down.
  if (auto failure = picker.refreshFailure()) return failWith(global, "the server list could not be fetched: " + *failure);
  servers::ServerListView& list = *picker.list;
  // Only the filter follows --protocol; the stored choice stays as it is.
  if (protocol) list.flags.select(*protocol);
  list.setSearchText(options.search);
  const auto sections = list.sections();
  const auto& catalogue = list.ipBundle();

  if (options.ping) {
    std::set<std::string> addresses;
    for (const auto& section : sections) {
      for (std::size_t index : section.serverIndices) {
        list.rowAppeared(catalogue[index]);
        if (catalogue[index].ip) addresses.insert(*catalogue[index].ip);
      }
    }
    // 1.0 s until the probes start, at most 5.0 s for an echo, and some slack.
    session.runUntil([&] { return list.reportsByAddress.size() >= addresses.size(); },
                     std::chrono::seconds(8));
  }

  nlohmann::json json = nlohmann::json::array();
  std::string text = std::string(list.locale.text("Protocol")) + ": " +
                     std::string(list.locale.text(list.headerText())) + "\n";
  for (const auto& section : sections) {
    nlohmann::json rows = nlohmann::json::array();
    const std::string flag = section.flagAsset ? std::string(*section.flagAsset) : "";
    text += "\n" + std::string(section.countryName) + (flag.empty() ? "" : "  [" + flag + "]") + "\n";
    for (std::size_t index : section.serverIndices) {
      const api::IPBundle& server = catalogue[index];
      nlohmann::json row{{"ipName", server.ipName.value_or("")}, {"ip", server.ip.value_or("")}};
      text += "  " + server.ipName.value_or("");
      if (options.ping) {
        std::optional<double> ms;
        if (server.ip) {
          auto it = list.reportsByAddress.find(*server.ip);
          if (it != list.reportsByAddress.end()) ms = it->second;
        }
        row["latency"] = list.latencyText(ms);
        row["latencyMs"] = ms ? nlohmann::json(*ms) : nlohmann::json(nullptr);
        row["colour"] = std::string(servers::ServerListView::latencyColour(ms));
        text += "  " + list.latencyText(ms) + " (" +
                std::string(servers::ServerListView::latencyColour(ms)) + ")";
      }
      text += "\n";
      rows.push_back(std::move(row));
    }
    json.push_back({{"country", std::string(section.countryName)},
                    {"flag", section.flagAsset ? nlohmann::json(flag) : nlohmann::json(nullptr)},
                    {"servers", std::move(rows)}});
  }
  emit(global, {{"protocol", std::string(list.headerText())}, {"sections", json}}, text);
  return kExitOk;
}

}  // namespace

CORVANE_COMMAND("servers", "List the servers as the picker groups them",
                 [](CLI::App& sub, const GlobalOptions& global) -> std::function<int()> {
                   auto options = std::make_shared<ServersOptions>();
                   sub.add_option("--protocol", options->protocol,
                                  "Filter by wireguard, openvpn, shadowsocks or v2ray "
                                  "(default: the chosen protocol)");
                   sub.add_option("--search", options->search, "Country name search text");
                   sub.add_flag("--ping", options->ping, "Measure each server's round trip");
                   return [&global, options] { return runServers(global, *options); };
                 });

}  // namespace corvane::cli
