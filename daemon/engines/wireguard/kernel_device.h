#pragma once
// The kernel's WireGuard: a "wireguard" link made over rtnetlink and configured over generic
// netlink. Nothing runs beside it, so nothing ends by itself; but the link outlives the
// daemon, so destroy() (and the leftover clean-up after a crash) deletes it.
#include <memory>
#include <string>

#include "daemon/engines/wireguard/wireguard_device.h"
#include "daemon/engines/wireguard/wireguard_netlink.h"
#include "daemon/net/netlink.h"
#include "platform/mainloop/main_loop.h"

namespace corvane::daemon::engines::wireguard {

class KernelDevice final : public WireGuardDevice {
 public:
  // Makes the link. The error's code is kUnsupported when this kernel has no WireGuard (no
  // such link kind, or no generic netlink family); nothing is left behind on any error.
  static Result<std::unique_ptr<KernelDevice>> make(platform::MainLoop& loop, net::Netlink& netlink,
                                                    std::string interfaceName);
  static constexpr std::int64_t kUnsupported = -2;
  ~KernelDevice() override;

  const char* kind() const override { return "kernel WireGuard"; }
  std::optional<engine::EngineError> create(ReadyCallback ready, LostCallback lost) override;
  Result<void> configure(const DeviceSettings& settings) override;
  Result<DeviceState> read() override;
  void destroy() override;

 private:
  KernelDevice(platform::MainLoop& loop, net::Netlink& netlink, std::string interfaceName,
               WireGuardNetlink genl)
      : loop_(loop),
        netlink_(netlink),
        interfaceName_(std::move(interfaceName)),
        genl_(std::move(genl)) {}

  platform::MainLoop& loop_;
  net::Netlink& netlink_;
  std::string interfaceName_;
  WireGuardNetlink genl_;
  platform::TimerId readyTimer_ = 0;
  bool destroyed_ = false;
};

}  // namespace corvane::daemon::engines::wireguard
