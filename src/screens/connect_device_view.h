#pragma once
// The devices signed in to the account, as the backend lists them. Refreshed on every
// appearance; a failed query leaves the list as it was.
#include <optional>
#include <string>
#include <vector>

#include "api/records/datum.h"
#include "platform/core/error.h"
#include "screenkit/localization.h"
#include "screenkit/screen_model.h"

namespace corvane::screens {

class ConnectDeviceView : public screenkit::ScreenModel {
 public:
  explicit ConnectDeviceView(screenkit::Services services);

  std::vector<api::Datum> devices;
  bool loading = false;  // a query is in flight (for the CLI; the screen shows no spinner)
  std::optional<Error> lastError;  // of the last query; the screen itself shows none
  screenkit::Localization locale;

  static constexpr std::string_view kTitle = "Connect devices";
  static constexpr screenkit::NamedText kTexts[] = {{"title", kTitle}};

  void appear();
  void tapClose();

  // The four lines of a device card; absent fields are empty, the brand in capitals.
  struct Card {
    std::string brand, model, osName, osVersion;
  };
  static Card card(const api::Datum& device);
};

}  // namespace corvane::screens
