#pragma once
// The kernel's WireGuard, configured over generic netlink (family "wireguard"):
// WG_CMD_SET_DEVICE with the keys and peers, WG_CMD_GET_DEVICE for handshakes and counters.
// Messages that carry keys are wiped before their memory is given back, and errors are asked
// for without the request echoed, so no key lingers in freed memory or a log.
#include <cstdint>
#include <span>
#include <string>

#include "daemon/engines/wireguard/wireguard_device.h"
#include "platform/core/result.h"

struct nl_sock;
struct nl_msg;
struct nlmsghdr;

namespace corvane::daemon::engines::wireguard {

// Adds the WG_CMD_SET_DEVICE attributes for `interfaceName` to `message` (after its generic
// netlink header): private key, fwmark, replace-peers, and each peer with its keys, endpoint,
// allowed IPs (replacing any it had) and keepalive.
Result<void> putDeviceSettings(nl_msg* message, const std::string& interfaceName,
                               const DeviceSettings& settings);

// Where a WG_CMD_GET_DEVICE dump stands after one more message of it.
enum class DumpStep { more, done };
// Adds one message of the dump to `state`: counters summed over peers, the newest handshake.
// A peer continued in the next message repeats only its key and allowed IPs, so nothing is
// counted twice. NLMSG_DONE ends the dump (with the kernel's error, if it carries one).
Result<DumpStep> addDumpMessage(const nlmsghdr* message, DeviceState& state);
// The same over a whole received buffer of netlink messages.
Result<DumpStep> addDumpBuffer(std::span<const std::uint8_t> buffer, DeviceState& state);

class WireGuardNetlink {
 public:
  WireGuardNetlink() = default;
  ~WireGuardNetlink();
  WireGuardNetlink(WireGuardNetlink&& other) noexcept;
  WireGuardNetlink& operator=(WireGuardNetlink&& other) noexcept;
  WireGuardNetlink(const WireGuardNetlink&) = delete;
  WireGuardNetlink& operator=(const WireGuardNetlink&) = delete;

  // Opens a generic netlink socket and looks the family up. The error's code is kFamilyMissing
  // when the kernel has no WireGuard.
  static Result<WireGuardNetlink> open();
  static constexpr std::int64_t kFamilyMissing = -1;

  Result<void> set(const std::string& interfaceName, const DeviceSettings& settings);
  Result<DeviceState> get(const std::string& interfaceName);

 private:
  nl_sock* socket_ = nullptr;
  int family_ = 0;
};

}  // namespace corvane::daemon::engines::wireguard
