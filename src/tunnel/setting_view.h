#pragma once
// The kill-switch screen. The switch is applied to the provider manager the power button
// loads: on-demand on keeps the tunnel up and traffic blocked outside it while the user's
// tunnel runs (the tunnel service enforces it), off removes that at once. Both ways the same
// two rules are saved: connect on any interface, and connect when the captive-portal probe
// answers.
#include <memory>

#include "platform/vpn/tunnel_provider_manager.h"
#include "screenkit/binding.h"
#include "screenkit/localization.h"
#include "screenkit/screen_model.h"

namespace corvane::tunnel {

class SettingView : public screenkit::ScreenModel {
 public:
  static constexpr const char* kTitle = "Kill Switch";
  static constexpr const char* kSubtitle = "Protect your digital data from\naccidental exposure";
  static constexpr const char* kSwitchImage = "toggle-on-circle";

  // `manager` may be null: then the switch only flips the shown value.
  SettingView(screenkit::Services services, screenkit::Binding<bool> killswith,
              std::shared_ptr<platform::TunnelProviderManager> manager);

  screenkit::Binding<bool> killswith;
  screenkit::Localization locale;
  std::string_view title() const { return locale.text(kTitle); }
  // The navigation bar names the side menu's entry that leads here.
  std::string_view barTitle() const { return locale.text("Setting"); }
  std::string_view subtitle() const { return locale.text(kSubtitle); }
  std::shared_ptr<platform::TunnelProviderManager> manager;
  // The outcome of the last save, for the command line; the screen shows none.
  std::optional<Error> lastSaveError;
  bool saving = false;

  // Takes the provider manager the power button uses (the first saved one, or a new one that
  // the first tap saves), and shows the switch as that manager has it: the tunnel service
  // keeps a kill switch across launches, so showing "off" for a saved "on" would be a lie.
  void loadManager();

  void tapSwitch();
  void close();

  // The rules applied either way.
  static std::vector<platform::OnDemandRule> onDemandRules(const std::string& probeUrl);

 private:
  void apply(bool on);
};

}  // namespace corvane::tunnel
