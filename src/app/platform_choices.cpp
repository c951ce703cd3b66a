#include "app/platform_choices.h"

#include "platform/secitem/sec_item_backend_factory.h"
#include "platform/vpn/no_vpn_service.h"

namespace corvane::app {

std::unique_ptr<platform::UrlOpener> makeUrlOpener(platform::Log log) {
  if (platform::desktopAvailable()) return std::make_unique<platform::XdgUrlOpener>(std::move(log));
  return std::make_unique<platform::RecordingUrlOpener>();
}

std::unique_ptr<platform::VpnService> makeVpnService(platform::MainLoop& loop) {
  return std::make_unique<platform::NoVpnService>(loop);
}

std::unique_ptr<platform::SecItemBackend> makeSecItemBackend(const platform::Paths& paths,
                                                             platform::Log log) {
  return platform::makeSecItemBackend(paths, std::move(log));
}

}  // namespace corvane::app
