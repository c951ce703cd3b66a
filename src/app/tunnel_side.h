#pragma once
// The tunnel side a front end is given: the client of the tunnel service, which the tunnel
// core drives, and the VPN service the screens load their managers from. The VPN service is
// built over the client, so it is declared after it and goes first.
#include <memory>

#include "platform/vpn/tunnel_daemon.h"
#include "platform/vpn/vpn_service.h"

namespace corvane::app {

struct TunnelSide {
  // Never null once built.
  std::unique_ptr<platform::TunnelDaemon> daemon;
  std::unique_ptr<platform::VpnService> vpn;
};

}  // namespace corvane::app
