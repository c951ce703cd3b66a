#include "daemon/engines/wireguard/kernel_device.h"

#include <fmt/format.h>

namespace corvane::daemon::engines::wireguard {

Result<std::unique_ptr<KernelDevice>> KernelDevice::make(platform::MainLoop& loop,
                                                         net::Netlink& netlink,
                                                         std::string interfaceName) {
  if (auto added = netlink.addLink(interfaceName, "wireguard"); !added) {
    const bool unsupported = added.error().code == net::Netlink::kUnsupportedKind;
    return Error("WireGuard", unsupported ? kUnsupported : added.error().code,
                 unsupported ? "the kernel has no WireGuard (link kind \"wireguard\" unknown)"
                             : added.error().description);
  }
  auto genl = WireGuardNetlink::open();
  if (!genl) {
    (void)netlink.deleteLink(interfaceName);
    const bool unsupported = genl.error().code == WireGuardNetlink::kFamilyMissing;
    return Error("WireGuard", unsupported ? kUnsupported : genl.error().code,
                 genl.error().description);
  }
  return std::unique_ptr<KernelDevice>(
      new KernelDevice(loop, netlink, std::move(interfaceName), std::move(*genl)));
}

KernelDevice::~KernelDevice() { destroy(); }

std::optional<engine::EngineError> KernelDevice::create(ReadyCallback ready, LostCallback) {
  // The link takes its configuration at once; "ready" still comes from the loop, like
  // wireguard-go's, so the engine's start returns before anything is reported.
  readyTimer_ = loop_.postAfter(std::chrono::milliseconds(0), [this, ready = std::move(ready)] {
    readyTimer_ = 0;
    if (!destroyed_) ready();
  });
  return std::nullopt;
}

Result<void> KernelDevice::configure(const DeviceSettings& settings) {
  return genl_.set(interfaceName_, settings);
}

Result<DeviceState> KernelDevice::read() { return genl_.get(interfaceName_); }

void KernelDevice::destroy() {
  if (readyTimer_ != 0) loop_.cancel(readyTimer_);
  readyTimer_ = 0;
  if (destroyed_) return;
  destroyed_ = true;
  (void)netlink_.deleteLink(interfaceName_);
}

}  // namespace corvane::daemon::engines::wireguard
