#pragma once
// What runs when a front end starts (corvanectl now, the window later): the log line "Here I
// stand", the tunnel core's folders, then on the main loop, each step after the one before:
// the background profile refresh is registered, on phones the network permission is asked for
// once, and the profile server is started and kept for the life of the process. No failure
// stops the launch; each is logged.
#include <functional>
#include <memory>

#include "platform/device/user_interface_idiom.h"
#include "platform/glyph/glyph_probe.h"
#include "platform/log/log.h"
#include "tunnel/profile_update_task.h"
#include "tunnelcore/profile_server.h"
#include "tunnelcore/tunnel_core.h"

namespace corvane::app {

class ApplicationDelegate {
 public:
  struct Services {
    tunnelcore::TunnelCore& core;
    tunnel::ProfileUpdateTask& updateTask;
    platform::GlyphProbe& glyphProbe;
    platform::UserInterfaceIdiom idiom = platform::UserInterfaceIdiom::desktop;
    platform::Log log;
  };

  explicit ApplicationDelegate(Services services) : services_(std::move(services)) {}
  ~ApplicationDelegate();
  ApplicationDelegate(const ApplicationDelegate&) = delete;
  ApplicationDelegate& operator=(const ApplicationDelegate&) = delete;

  // Always true. The start-up sequence runs later on the main loop.
  bool didFinishLaunching();

  tunnelcore::ProfileServer* profileServer() const { return profileServer_.get(); }
  // The start-up sequence has run to its end (whatever its steps gave).
  bool startupFinished() const { return startupFinished_; }

 private:
  void startup();
  void networkPermissionStep(std::function<void()> next);
  void startProfileServer();

  Services services_;
  std::unique_ptr<tunnelcore::ProfileServer> profileServer_;
  bool startupFinished_ = false;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace corvane::app
