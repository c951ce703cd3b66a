#pragma once
// wireguard-go on a fresh interface: the program makes the interface and its configuration
// socket, and is handed the keys and peers over that socket. The program's end is the
// device's loss.
#include <string>

#include "daemon/engine/engine_context.h"
#include "daemon/engines/engine_program.h"
#include "daemon/engines/wireguard/uapi_client.h"
#include "daemon/engines/wireguard/wireguard_device.h"
#include "daemon/net/netlink.h"

namespace corvane::daemon::engines::wireguard {

class UserspaceDevice final : public WireGuardDevice {
 public:
  UserspaceDevice(const engine::EngineContext& context, net::Netlink& netlink);
  ~UserspaceDevice() override;

  const char* kind() const override { return "wireguard-go"; }
  std::optional<engine::EngineError> create(ReadyCallback ready, LostCallback lost) override;
  Result<void> configure(const DeviceSettings& settings) override;
  Result<DeviceState> read() override;
  void destroy() override;

  // The "set" body for the configuration socket (without "set=1" and the closing blank line).
  // It carries the private key: the caller wipes it.
  static std::string uapiBody(const DeviceSettings& settings);

 private:
  void waitForSocket();

  const engine::EngineContext& context_;
  net::Netlink& netlink_;
  UapiClient uapi_;
  EngineProgram program_;
  ReadyCallback ready_;
  LostCallback lost_;
  platform::TimerId timer_ = 0;
  platform::TimePoint startedAt_{};
  bool destroyed_ = false;
};

}  // namespace corvane::daemon::engines::wireguard
