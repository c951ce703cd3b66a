#include "tunnel/dashboard_status.h"

#include <nlohmann/json.hpp>

#include "keys/preference_key.h"
#include "keys/tunnel_status_text.h"
#include "servers/flag_table.h"
#include "tunnel/service_addresses.h"
#include "tunnelcore/core_format_bytes.h"

namespace corvane::tunnel {

using platform::VpnStatus;
using Words = keys::TunnelStatusText;

namespace {

enum class Shown { unprotected, connecting, protectedNow };

// The first rule that holds, in this order.
Shown shownFor(const std::string& text, std::optional<VpnStatus> status) {
  if (text == Words::disconnected || text == Words::disconnecting || status == VpnStatus::disconnected ||
      status == VpnStatus::disconnecting) {
    return Shown::unprotected;
  }
  if (text == Words::connecting || status == VpnStatus::connecting) return Shown::connecting;
  if (text == Words::connected || status == VpnStatus::connected) return Shown::protectedNow;
  return Shown::unprotected;
}

std::string speed(const std::optional<tunnelcore::TrafficStatus>& traffic, bool up) {
  if (!traffic) return "0 B/s";
  return tunnelcore::CoreFormatBytes(up ? traffic->uplink : traffic->downlink) + "/s";
}

}  // namespace

DashboardStatus::DashboardStatus(screenkit::Services services, tunnelcore::TunnelCore& core)
    : ScreenModel(std::move(services)), commandClient(core.daemon), core_(core) {
  commandClient.setOnChange([this] { changed(); });
  statusObserver_ = platform::ObserverRegistration(
      services_.notifications, services_.notifications.addObserver(platform::kVpnStatusDidChangeNotification,
                                                                   [this] { vpnStatusDidChange(); }));
  wasUp_ = core_.extensionProfile.vpnStatus() == VpnStatus::connected;
  slotStatus_ = core_.extensionProfile.observeStatus([this](VpnStatus now) {
    // The public address changes when the tunnel comes up or goes down (by way of connecting,
    // disconnecting or reasserting, or directly); the one shown must too. Until the echo
    // answers from the new side, the old side's address is no longer the public one, so the
    // placeholder shows.
    if (now == VpnStatus::connected || now == VpnStatus::disconnected) {
      const bool up = now == VpnStatus::connected;
      if (up != wasUp_) {
        wasUp_ = up;
        currentIpAddress.reset();
        lookUpAddress();
      }
    }
    startAnimationIfShown();
    changed();
  });
}

DashboardStatus::~DashboardStatus() {
  if (animationTimer_ != 0) services_.mainLoop.cancel(animationTimer_);
}

DashboardRows DashboardStatus::rows() const {
  DashboardRows r;
  const auto& p = services_.preferences;
  r.statusWord = Words::shown(p.get(keys::pref::vpnStatus));
  switch (shownFor(r.statusWord, status)) {
    case Shown::unprotected:
      r.statusPanel = "Unprotected internet status";
      r.statusIcon = "arrow-down";
      r.powerImage = "powerButtonOff";
      break;
    case Shown::connecting:
      r.statusPanel = "Network Status";
      r.powerImage = "powerConnecting";
      break;
    case Shown::protectedNow:
      r.statusPanel = "Protected Internet Status";
      r.statusIcon = "arrow-down-green";
      r.powerImage = "powerConnect";
      break;
  }
  r.protocol = WireGuardSelected ? "WireGuard"
               : openVPNSelected ? "OpenVPN"
               : ssSelected      ? "Shadowshocks"
               : v2raySelecetd   ? "V2ray"
                                 : "No Protocol Selected";
  r.address = currentIpAddress.value_or(kNoAddress);
  const auto& traffic = commandClient.trafficStatus();
  r.speedShown = !traffic || traffic->trafficAvailable;
  if (r.speedShown) {
    r.upload = speed(traffic, true);
    r.download = speed(traffic, false);
  }
  r.server = p.get(keys::pref::ipName).value_or("not selected");
  r.lastUsedCountryCode = p.get(keys::pref::countryCode).value_or("");
  r.lastUsedFlag = std::string(servers::flagAssetName(p.get(keys::pref::countryCode)).value_or(""));
  r.lastUsedCountryName = p.get(keys::pref::countryName).value_or("");
  r.lastUsedServer = p.get(keys::pref::ipName).value_or("");
  return r;
}

std::string DashboardStatus::powerFrame() const {
  std::string image = rows().powerImage;
  return image == "powerConnecting" ? animation : image;
}

void DashboardStatus::onShown() {
  readProtocolFlags();
  announcementOne = services_.preferences.get(keys::pref::announcementOne).value_or("");
  refreshAccount();
  loadManagers();
  lookUpAddress();
  commandClient.connect();
  core_.environments.connect();
  startAnimationIfShown();
  changed();
}

void DashboardStatus::onHidden() {
  commandClient.disconnect();
  changed();
}

void DashboardStatus::scenePhaseActive(bool active) {
  if (active) {
    commandClient.connect();
  } else {
    commandClient.disconnect();
  }
  changed();
}

void DashboardStatus::readProtocolFlags() {
  // The first chosen protocol in this order raises its flag; flags are never lowered here.
  const auto& p = services_.preferences;
  if (p.get(keys::pref::wireGuard)) {
    WireGuardSelected = true;
  } else if (p.get(keys::pref::openVPN)) {
    openVPNSelected = true;
  } else if (p.get(keys::pref::shadowshocks)) {
    ssSelected = true;
  } else if (p.get(keys::pref::v2ray)) {
    v2raySelecetd = true;
  }
}

void DashboardStatus::refreshAccount() {
  const auto username = services_.preferences.get(keys::pref::username).value_or("");
  const auto password = services_.preferences.get(keys::pref::password).value_or("");
  services_.api.login(username, password, [hop = hop(), this](Result<api::User> user) {
    if (!user) {
      hop.services.log.warning("Login error: " + user.error().toString());
      return;
    }
    // The login stored the notice in the preferences; the model reads it from there.
    hop([this] {
      anntitle = services_.preferences.get(keys::pref::anntitle).value_or("");
      anntext = services_.preferences.get(keys::pref::anntext).value_or("");
      changed();
    });
  });
}

void DashboardStatus::loadManagers() {
  services_.vpn.loadAllFromPreferences([this, alive = lifetime()](platform::VpnService::Managers managers,
                                                                  std::optional<Error> error) {
    if (!alive.lock()) return;
    if (error) {
      services_.log.warning("Load Preferences error: " + error->toString());
      return;
    }
    services_.log.info("newManagers" + std::to_string(managers.size()));
    if (managers.empty()) return;
    vpnManagerEnterprise = managers.front();
    if (vpnManagerEnterprise->isEnabled()) {
      const bool up = vpnManagerEnterprise->connectionStatus() == VpnStatus::connected;
      services_.preferences.set(keys::pref::vpnStatus, std::string(up ? Words::connected : Words::disconnected));
    }
    changed();
  });
}

void DashboardStatus::vpnStatusDidChange() {
  if (!vpnManagerEnterprise) return;
  status = vpnManagerEnterprise->connectionStatus();
  if (auto text = Words::of(*status)) services_.preferences.set(keys::pref::vpnStatus, std::string(*text));
  startAnimationIfShown();
  changed();
}

void DashboardStatus::lookUpAddress() {
  // A lookup started on one side of a tunnel change can answer after the one started on the
  // other side (a connection stranded by the new routes fails only at its stall limit): its
  // address, or its failure, must not replace the newer answer.
  const std::uint64_t lookup = ++addressLookups_;
  auto request = platform::UrlRequest::get(ipEchoUrl() + "?format=json");
  // The address is the route's: a pooled connection would still take the old one.
  request.freshConnection = true;
  core_.loader.dataTask(std::move(request),
                        [hop = hop(), this, lookup](Result<platform::UrlResponse> answer) {
                          std::optional<std::string> address;
                          if (answer && answer->body) {
                            const auto json = nlohmann::json::parse(*answer->body, nullptr, false);
                            if (json.is_object() && json.contains("ip") && json["ip"].is_string()) {
                              address = json["ip"].get<std::string>();
                            }
                          }
                          hop([this, address, lookup] {
                            if (lookup != addressLookups_) return;
                            answeredLookup_ = lookup;
                            currentIpAddress = address;
                            changed();
                          });
                        });
}

void DashboardStatus::startAnimationIfShown() {
  const bool shown = rows().powerImage == "powerConnecting";
  if (!shown) {
    // The frames belong to the connecting image; a timer left running after it is gone would
    // tick for as long as the app runs, and every later connect would add one more.
    if (animationTimer_ != 0) services_.mainLoop.cancel(std::exchange(animationTimer_, 0));
    return;
  }
  if (animationTimer_ != 0) return;
  animationCounter_ = 1;
  animationKeptText_ = Words::shown(services_.preferences.get(keys::pref::vpnStatus));
  animationTimer_ = services_.mainLoop.postRepeating(platform::seconds(kAnimationSeconds), [this, alive = lifetime()] {
    if (alive.lock()) tick();
  });
}

void DashboardStatus::tick() {
  animation = "Connecting" + std::to_string(animationCounter_);
  ++animationCounter_;
  if (animationKeptText_ == Words::connecting || status == VpnStatus::connecting) {
    if (animationCounter_ == 6) animationCounter_ = 1;
  } else if (animationKeptText_ == Words::connected || status == VpnStatus::connected) {
    animationCounter_ = 0;
    services_.mainLoop.cancel(std::exchange(animationTimer_, 0));
  }
  changed();
}

}  // namespace corvane::tunnel
