#pragma once
// The services a screen model is given at construction. Screen models reach the rest of the
// system only through these: preferences and notifications for effects on other screens, the
// API client for the backend, the main loop for timers and for moving completions onto the
// thread that owns the models (its clock is the models' clock), and the opener for URLs
// outside the app. Nothing here is owned: the program (or the test) owns the services and
// keeps them alive longer than every model.
#include <functional>
#include <memory>
#include <string>

#include "api/api_client.h"
#include "keys/preferences.h"
#include "platform/log/log.h"
#include "platform/mainloop/main_loop.h"
#include "platform/notifications/notification_center.h"
#include "platform/opener/url_opener.h"
#include "platform/vpn/vpn_service.h"
#include "screenkit/latency_services.h"
#include "securestore/keychain_store.h"

namespace corvane::tunnelcore {
class TunnelCore;
}

namespace corvane::screenkit {

class ScreenModel;
struct Services;

// Builds a fresh root of the app (the start-up gate) over the given services. The root hands
// it down, so a screen that starts the app over (registration success) never names the root.
using RootFactory = std::function<std::unique_ptr<ScreenModel>(Services)>;

struct Services {
  keys::Preferences preferences;
  // The application-group store shared with the tunnel side; null when it cannot be opened
  // (then the copies of the credentials are skipped).
  keys::Preferences* groupPreferences;
  // The device identifier ("UUID") lives here.
  securestore::KeychainStore& keychain;
  api::ApiClient& api;
  platform::NotificationCenter& notifications;
  platform::MainLoop& mainLoop;
  platform::UrlOpener& opener;
  platform::VpnService& vpn;
  platform::Log log;
  // The echo engine for the picker's latency column; null runs no probes.
  const LatencyServices* latency = nullptr;
  // Picks the localisation table and the underline widths ("zh_CN", "en_US").
  std::string localeIdentifier;
  // A fresh root; null where no root can be built (then "Go to login" shows no root).
  RootFactory makeRoot;
  // The tunnel core (profiles, extension profile, command client); null where it could not
  // be opened, and then the dashboard has no tunnel parts.
  tunnelcore::TunnelCore* tunnelCore = nullptr;
};

}  // namespace corvane::screenkit
