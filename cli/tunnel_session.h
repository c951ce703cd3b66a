#pragma once
// What the tunnel commands add to a client session built with its tunnel side: the launch
// (profile refresh registration, profile server) and the dashboard, reached through the main
// container as the window reaches it. The tunnel service's client, the VPN service and the
// tunnel core are the composition root's.
#include <memory>
#include <string>

#include "app/application_delegate.h"
#include "client_session.h"
#include "platform/glyph/glyph_probe.h"
#include "platform/vpn/tunnel_daemon.h"
#include "screens/main_tabbed_view.h"
#include "tunnel/home_view.h"
#include "tunnel/profile_update_task.h"
#include "tunnel_report.h"
#include "tunnelcore/tunnel_core.h"

namespace corvane::cli {

class TunnelSession {
 public:
  // `session` must have been built with `withTunnel`. Throws std::runtime_error with a
  // readable message when the core cannot be opened.
  explicit TunnelSession(ClientSession& session);
  ~TunnelSession();

  screenkit::Services services() { return session_.services(); }
  tunnelcore::TunnelCore& core() { return core_; }
  platform::TunnelDaemon& daemon() { return daemon_; }
  const std::string& socketPath() const { return socketPath_; }

  // Waits (bounded) for the tunnel service's first word. False when it does not answer.
  bool reachService();
  // The main container with its dashboard shown and its profile work settled.
  tunnel::HomeView& showDashboard();
  // The dashboard's rows with the tunnel service's kill-switch state and last error.
  TunnelReport report(tunnel::HomeView& home);

 private:
  ClientSession& session_;
  std::string socketPath_;
  platform::TunnelDaemon& daemon_;
  tunnelcore::TunnelCore& core_;
  std::unique_ptr<tunnel::ProfileUpdateTask> updates_;
  platform::NoDisplayGlyphProbe glyph_;
  std::unique_ptr<app::ApplicationDelegate> delegate_;
  std::unique_ptr<screens::MainTabbedView> main_;
};

}  // namespace corvane::cli
