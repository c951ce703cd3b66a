#include "servers/server_list_view.h"

#include <cmath>
#include <cstdio>

#include "api/api_client.h"
#include "keys/notification_names.h"
#include "keys/tunnel_status_text.h"
#include "servers/config_text.h"
#include "servers/latency_probe.h"
#include "screenkit/latency_services.h"
#include "servers/protocol_preferences.h"

namespace corvane::servers {

ServerListView::ServerListView(screenkit::Services services, ProtocolSelection& protocolFlags,
                               std::function<void()> dismiss)
    : ScreenModel(std::move(services)),
      flags(protocolFlags),
      locale(services_.localeIdentifier),
      dismiss_(std::move(dismiss)) {
  statusObserver_ = platform::ObserverRegistration(
      services_.notifications,
      services_.notifications.addObserver(platform::kVpnStatusDidChangeNotification,
                                          [this] { statusChanged(); }));
}

ServerListView::~ServerListView() = default;

void ServerListView::writeProtocolKeys() { storeSelection(services_.preferences, flags); }

void ServerListView::readProtocolKeys() { loadSelection(services_.preferences, flags); }

void ServerListView::selectAndStore(VpnProtocol protocol) {
  flags.select(protocol);
  writeProtocolKeys();
}

void ServerListView::appear() {
  auto& prefs = services_.preferences;
  // WireGuard is the default protocol, applied once per installation.
  if (!prefs.get(keys::pref::initialProtocolSelect)) {
    prefs.set(keys::pref::initialProtocolSelect, true);
    selectAndStore(VpnProtocol::wireGuard);
  }
  services_.vpn.loadAllFromPreferences(
      [this, hop = hop()](platform::VpnService::Managers managers, std::optional<Error> error) {
        hop([this, managers = std::move(managers), error = std::move(error)] {
          if (error) {
            services_.log.info("Load Preferences error: " + error->toString());
            return;
          }
          if (managers.empty()) return;
          vpnManagerEnterprise = managers.front();
          if (vpnManagerEnterprise->isEnabled()) {
            const bool connected =
                vpnManagerEnterprise->connectionStatus() == platform::VpnStatus::connected;
            services_.preferences.set(
                keys::pref::vpnStatus,
                std::string(connected ? keys::TunnelStatusText::connected : keys::TunnelStatusText::disconnected));
          }
          changed();
        });
      });
  readProtocolKeys();
  refreshed_ = false;
  refreshError_.reset();
  changed();
  const std::string username = prefs.get(keys::pref::username).value_or("");
  const std::string password = prefs.get(keys::pref::password).value_or("");
  services_.api.login(username, password, [this, hop = hop()](Result<api::User> result) {
    if (!result) {
      hop.services.log.info("Login error: " + result.error().toString());
      hop([this, error = result.error()] {
        refreshed_ = true;
        refreshError_ = error;
        changed();
      });
      return;
    }
    // Indexing 10,000 servers takes milliseconds; do it here, off the main loop.
    auto fresh = std::make_shared<ServerCatalogue>(
        std::move(result->ipBundle).value_or(std::vector<api::IPBundle>{}));
    hop.services.log.info("Fetched " + std::to_string(fresh->servers().size()) +
                       " items from the server");
    hop([this, fresh] {
      catalogue_ = fresh;
      refreshed_ = true;
      refreshError_.reset();
      changed();
    });
  });
}

void ServerListView::statusChanged() {
  if (!vpnManagerEnterprise) return;
  status = vpnManagerEnterprise->connectionStatus();
  if (auto text = keys::TunnelStatusText::of(*status)) {
    services_.preferences.set(keys::pref::vpnStatus, std::string(*text));
  }
  changed();
}

std::string ServerListView::vpnStatusText() const {
  return keys::TunnelStatusText::shown(services_.preferences.get(keys::pref::vpnStatus));
}

void ServerListView::tapProtocol(VpnProtocol protocol) {
  if (vpnStatusText() == keys::TunnelStatusText::connected) {
    // The choice waits for "DISCONNECT"; the flags stay as they are.
    services_.preferences.set(keys::pref::selectedTypeProtocol, protocolInfo(protocol).code);
    changeProtocolAlert = true;
  } else {
    selectAndStore(protocol);
  }
  changed();
}

void ServerListView::tapDisconnect() {
  if (auto protocol = protocolForCode(services_.preferences.get(keys::pref::selectedTypeProtocol))) {
    selectAndStore(*protocol);
  }
  services_.notifications.post(keys::kDisconnectFromServer);
  changeProtocolAlert = false;
  changed();
}

void ServerListView::tapSkip() {
  changeProtocolAlert = false;
  changed();
}

void ServerListView::tapClose() {
  if (dismiss_) dismiss_();
}

ServerListView::TapOutcome ServerListView::tapServer(const api::IPBundle& server) {
  const bool wireGuard = flags.WireGuardSelected;
  lastTapError.reset();
  // The tap cannot be applied without these; storing half a choice would leave the
  // connection controller with another server's configuration.
  if (!wireGuard && !server.config) {
    services_.log.info("Server tap ignored: no config for " + server.ipName.value_or("?"));
    return TapOutcome::ignored;
  }
  if (wireGuard && (!server.vpnServerID || !server.ipID)) {
    services_.log.info("Server tap ignored: no server or address id for " +
                       server.ipName.value_or("?"));
    return TapOutcome::ignored;
  }
  // A configuration over the cap could never become a profile: refuse the tap before
  // anything is stored, so the server chosen before stays whole.
  std::optional<std::string> config;
  if (!wireGuard) {
    config = decodeServerConfig(*server.config);
    if (config && config->size() > api::ApiClient::kMaxConfigBytes) {
      const std::string why = "configuration of " + server.ipName.value_or("?") + " is " +
                              std::to_string(config->size()) + " bytes, over the limit of " +
                              std::to_string(api::ApiClient::kMaxConfigBytes) + " bytes";
      services_.log.error("Server tap refused: " + why);
      lastTapError = Error("ServerConfig", 413, why);
      changed();
      return TapOutcome::ignored;
    }
  }
  auto& prefs = services_.preferences;
  prefs.set(keys::pref::initialServerSelected, true);
  prefs.set(keys::pref::countryCode, server.countryCode);
  prefs.set(keys::pref::countryName, server.countryName);
  prefs.set(keys::pref::ipName, server.ipName);
  if (!wireGuard) {
    // Undecodable text is removed rather than kept from an earlier server.
    prefs.set(keys::pref::config, std::move(config));
    hop()([this] { finishTap(); },
          [&notifications = services_.notifications] { notifications.post(keys::kConnectFromServer); });
    changed();
    return TapOutcome::stored;
  }
  const std::int64_t vpnServerID = *server.vpnServerID;
  const std::int64_t ipID = *server.ipID;
  fetchingConfig = true;
  services_.api.fetchWireGuardConfig(vpnServerID, ipID, 1,
                                     [this, hop = hop(), vpnServerID, ipID](Result<void> result) {
    if (!result) {
      // The picker stays open and nothing is stored or posted.
      hop.services.log.info(result.error().toString());
      hop([this, error = result.error()] {
        fetchingConfig = false;
        lastTapError = error;
        changed();
      });
      return;
    }
    hop.services.preferences.set(keys::pref::vpnServerID, vpnServerID);
    hop.services.preferences.set(keys::pref::ipID, ipID);
    // The keys now name this server, so the dashboard must hear of it even when the picker
    // was closed before the configuration arrived.
    hop([this] { finishTap(); },
        [&notifications = hop.services.notifications] { notifications.post(keys::kConnectFromServer); });
  });
  changed();
  return TapOutcome::fetching;
}

void ServerListView::finishTap() {
  fetchingConfig = false;
  changed();
  // Dismissing may take this model away: the caller posts "ConnectFromServer" afterwards.
  auto dismiss = dismiss_;
  if (dismiss) dismiss();
}

std::string_view ServerListView::headerText() const {
  if (auto protocol = flags.chosen()) return protocolInfo(*protocol).headerText;
  return "No Protocol Selected";
}

std::vector<ServerSection> ServerListView::sections() const {
  return catalogue_->sections(flags.chosen(), searchText);
}

void ServerListView::reportLatency(const std::string& ip, double seconds) {
  // Whole milliseconds, truncated toward zero. Every row shows this one value, so the last
  // probe to report wins.
  pingResult = std::trunc(seconds * 1000.0);
  reportsByAddress[ip] = *pingResult;
  changed();
}

std::string ServerListView::latencyText(std::optional<double> milliseconds) const {
  if (!milliseconds) return std::string(locale.text("N/A"));
  char text[32];
  std::snprintf(text, sizeof text, "%.0f ms", *milliseconds);
  return text;
}

std::string_view ServerListView::latencyColour(std::optional<double> milliseconds) {
  if (!milliseconds || *milliseconds <= 150) return "green";
  if (*milliseconds <= 400) return "orange";
  return "red";
}

void ServerListView::rowAppeared(const api::IPBundle& server) {
  if (!server.ip || services_.latency == nullptr) return;  // nothing to probe, or no engine
  // A started probe has handed its echo to the engine and needs nothing more from us.
  std::erase_if(probes_, [](const std::unique_ptr<LatencyProbe>& p) { return p->started(); });
  // Reports arrive on the engine's callback queue; they reach the model on the main loop,
  // and not at all once the picker is gone.
  auto report = [this, alive = lifetime(), &loop = services_.mainLoop,
                 ip = *server.ip](double seconds) {
    loop.post([this, alive, ip, seconds] {
      if (alive.lock()) reportLatency(ip, seconds);
    });
  };
  probes_.push_back(std::make_unique<LatencyProbe>(services_.mainLoop, *services_.latency,
                                                    *server.ip, std::move(report)));
}

}  // namespace corvane::servers
