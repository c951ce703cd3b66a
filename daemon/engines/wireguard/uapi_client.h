#pragma once
// Talks to a running wireguard-go over its configuration socket
// (/var/run/wireguard/<interface>.sock): "set=1" with the device's keys and peers, "get=1"
// for handshakes and counters. The socket is opened per exchange, as the wg tool does, and
// each exchange is bounded by a two-second time-out so a hung engine cannot stall the daemon.
#include <cstdint>
#include <filesystem>
#include <string>

#include "platform/core/result.h"

namespace corvane::daemon::engines::wireguard {

struct UapiDeviceState {
  std::uint64_t rxBytes = 0;
  std::uint64_t txBytes = 0;
  // Unix seconds of the newest completed handshake of any peer; 0 when none has completed.
  std::int64_t lastHandshake = 0;
};

class UapiClient {
 public:
  explicit UapiClient(std::filesystem::path socketPath) : path_(std::move(socketPath)) {}

  // The socket wireguard-go makes for an interface.
  static std::filesystem::path socketFor(const std::string& interfaceName);

  bool socketExists() const;
  // `body` holds "key=value\n" lines (without "set=1" and the closing blank line). It carries
  // private keys, so it is wiped by the caller and never logged.
  Result<void> set(const std::string& body) const;
  Result<UapiDeviceState> get() const;

 private:
  Result<std::string> exchange(const std::string& request) const;

  std::filesystem::path path_;
};

}  // namespace corvane::daemon::engines::wireguard
