#pragma once
// The tunnel core's signals to the app and its shared command client. profileUpdate says the
// profile list changed, selectedProfileUpdate that another profile was selected; both are
// posted on the notification centre from the main loop, so observers run there.
#include <functional>

#include "platform/core/result.h"
#include "platform/mainloop/main_loop.h"
#include "platform/notifications/notification_center.h"
#include "platform/vpn/tunnel_daemon.h"
#include "tunnelcore/command_client.h"

namespace corvane::tunnelcore {

class ExtensionEnvironments {
 public:
  static constexpr const char* kProfileUpdate = "profileUpdate";
  static constexpr const char* kSelectedProfileUpdate = "selectedProfileUpdate";

  ExtensionEnvironments(platform::NotificationCenter& notifications, platform::MainLoop& loop,
                        platform::TunnelDaemon& daemon)
      : sharedClient(daemon), notifications_(notifications), loop_(loop), daemon_(daemon) {}

  // Safe from any thread.
  void sendProfileUpdate() { post(kProfileUpdate); }
  void sendSelectedProfileUpdate() { post(kSelectedProfileUpdate); }

  // When the dashboard is shown: the shared client follows the tunnel again.
  void connect() { sharedClient.connect(); }
  // After an install: asks the tunnel service for the slot's state now, so every screen
  // starts from the service's word instead of a stored one.
  void reload(std::function<void(Result<void>)> done) { daemon_.refreshState(std::move(done)); }

  CommandClient sharedClient;

 private:
  void post(const char* name) {
    loop_.post([&notifications = notifications_, name] { notifications.post(name); });
  }

  platform::NotificationCenter& notifications_;
  platform::MainLoop& loop_;
  platform::TunnelDaemon& daemon_;
};

}  // namespace corvane::tunnelcore
