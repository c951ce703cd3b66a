#include "tunnel/setting_view.h"

#include <boost/url/parse.hpp>

#include "keys/notification_names.h"
#include "tunnel/service_addresses.h"

namespace corvane::tunnel {

SettingView::SettingView(screenkit::Services services, screenkit::Binding<bool> killSwitch,
                         std::shared_ptr<platform::TunnelProviderManager> providerManager)
    : ScreenModel(std::move(services)), killswith(std::move(killSwitch)),
      locale(services_.localeIdentifier),
      manager(std::move(providerManager)) {}

std::vector<platform::OnDemandRule> SettingView::onDemandRules(const std::string& probeUrl) {
  platform::OnDemandRule any;
  any.interfaceTypeMatch = 0;
  platform::OnDemandRule probed;
  probed.interfaceTypeMatch = 0;
  // An address that does not parse as an absolute URL leaves the rule without a probe.
  if (boost::urls::parse_absolute_uri(probeUrl)) probed.probeURL = probeUrl;
  return {any, probed};
}

void SettingView::loadManager() {
  services_.vpn.loadAllFromPreferences([this, alive = lifetime()](platform::VpnService::Managers managers,
                                                                  std::optional<Error> error) {
    if (!alive.lock()) return;
    if (error) services_.log.warning("Load Preferences error: " + error->toString());
    manager = !managers.empty() ? managers.front() : services_.vpn.makeManager();
    if (!managers.empty()) killswith.set(manager->settings.isOnDemandEnabled);
    changed();
  });
}

void SettingView::tapSwitch() {
  killswith.set(!killswith.get());
  apply(killswith.get());
  changed();
}

void SettingView::apply(bool on) {
  if (!manager) return;
  manager->settings.isOnDemandEnabled = on;
  manager->settings.onDemandRules = onDemandRules(probeUrl());
  saving = true;
  manager->saveToPreferences([this, alive = lifetime()](std::optional<Error> error) {
    if (!alive.lock()) return;
    saving = false;
    lastSaveError = std::move(error);
    changed();
  });
}

void SettingView::close() { services_.notifications.post(keys::kClose); }

}  // namespace corvane::tunnel
