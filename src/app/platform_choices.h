#pragma once
// The platform choices of this machine, made here and nowhere else: which URL opener, which
// VPN service and which keychain backend the composition root builds. Each one is a factory,
// so a front end or a test can hand in its own.
#include <functional>
#include <memory>

#include "platform/log/log.h"
#include "app/tunnel_side.h"
#include "platform/mainloop/main_loop.h"
#include "platform/notifications/notification_center.h"
#include "platform/opener/url_opener.h"
#include "platform/paths/paths.h"
#include "platform/secitem/sec_item_backend.h"
#include "platform/vpn/vpn_service.h"

namespace corvane::app {

using OpenerFactory = std::function<std::unique_ptr<platform::UrlOpener>(platform::Log)>;
using VpnServiceFactory =
    std::function<TunnelSide(platform::MainLoop&, platform::NotificationCenter&, platform::Log)>;
using SecItemBackendFactory =
    std::function<std::unique_ptr<platform::SecItemBackend>(const platform::Paths&, platform::Log)>;

// xdg-open where a desktop is reachable; otherwise the URLs are recorded for the caller to
// show (corvanectl prints them).
std::unique_ptr<platform::UrlOpener> makeUrlOpener(platform::Log log);

// The machine's tunnel side: the client of corvane-tunneld at CORVANE_TUNNELD_SOCKET (or the
// system socket), subscribed to its events, so its state follows the service even when the
// service starts later. Where the socket answers, the VPN service is the tunnel service's
// (DaemonVpnService); otherwise it is NoVpnService: no managers, so the screens keep
// "VPNStatus" as stored.
TunnelSide makeVpnService(platform::MainLoop& loop, platform::NotificationCenter& notifications,
                          platform::Log log);

// The Secret Service (libsecret) where a session bus offers one, else the private file store.
std::unique_ptr<platform::SecItemBackend> makeSecItemBackend(const platform::Paths& paths,
                                                             platform::Log log);

}  // namespace corvane::app
