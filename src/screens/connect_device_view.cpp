#include "screens/connect_device_view.h"

#include <unicode/unistr.h>

#include "api/api_client.h"
#include "keys/notification_names.h"
#include "securestore/keychain_store.h"

namespace corvane::screens {

ConnectDeviceView::ConnectDeviceView(screenkit::Services services)
    : ScreenModel(std::move(services)), locale(services_.localeIdentifier) {}

void ConnectDeviceView::appear() {
  auto& prefs = services_.preferences;
  const std::string username = prefs.get(keys::pref::username).value_or("");
  const std::string password = prefs.get(keys::pref::password).value_or("");
  const std::string udid = services_.keychain.stringForKey("UUID").value_or("");
  services_.log.info("Device id: " + platform::maskSecret(udid));
  loading = true;
  changed();
  services_.api.fetchLoggedInDevices(
      username, password, udid, [this, hop = hop()](Result<api::DeviceResponse> result) {
        if (!result) hop.services.log.info("error: " + result.error().toString());
        hop([this, result = std::move(result)]() mutable {
          loading = false;
          if (result) {
            devices = result->data.value_or(std::vector<api::Datum>{});
            lastError.reset();
          } else {
            lastError = result.error();
          }
          changed();
        });
      });
}

void ConnectDeviceView::tapClose() {
  services_.mainLoop.post(
      [&notifications = services_.notifications] { notifications.post(keys::kClose); });
}

ConnectDeviceView::Card ConnectDeviceView::card(const api::Datum& device) {
  std::string brand;
  // Capitals for every script, not only ASCII.
  icu::UnicodeString::fromUTF8(device.brand.value_or("")).toUpper().toUTF8String(brand);
  return Card{brand, device.model.value_or(""), device.osName.value_or(""),
              device.osVersion.value_or("")};
}

}  // namespace corvane::screens
