#pragma once
// The tunnel extension as the app starts it: the selected profile's content is read in the
// background and handed to the tunnel service with the engine it needs. Its status is the
// service's one slot, so it also covers a tunnel a provider manager started.
// Call from the main loop; completions run there.
#include <functional>

#include "platform/mainloop/main_loop.h"
#include "platform/mainloop/queue.h"
#include "platform/vpn/daemon_observation.h"
#include "platform/vpn/tunnel_daemon.h"
#include "tunnelcore/profile_manager.h"
#include "tunnelcore/shared_preferences.h"

namespace corvane::tunnelcore {

class ExtensionProfile {
 public:
  using Done = std::function<void(Result<void>)>;

  ExtensionProfile(platform::TunnelDaemon& daemon, ProfileManager& profiles, SharedPreferences& preferences,
                   platform::Queue& background, platform::MainLoop& loop);

  // Registers with the tunnel service: succeeds when the service answers this user.
  void install(Done done);
  platform::VpnStatus vpnStatus() const { return daemon_.state().status; }
  // Starts the selected profile. Fails with "Profile missing" when nothing usable is
  // selected, or with the service's refusal.
  void start(Done done);
  void stop();

  // Calls `onStatus` with each new status value until the observation is dropped.
  platform::DaemonObservation observeStatus(std::function<void(platform::VpnStatus)> onStatus);

 private:
  platform::TunnelDaemon& daemon_;
  ProfileManager& profiles_;
  SharedPreferences& preferences_;
  platform::Queue& background_;
  platform::MainLoop& loop_;
};

}  // namespace corvane::tunnelcore
