#pragma once
// A 32-byte WireGuard key (private, public or preshared). The bytes are wiped when the key
// goes away, and the key never prints itself: only hex() for the UAPI socket gives it out.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace corvane::daemon::engines::wireguard {

class WireGuardKey {
 public:
  WireGuardKey() = default;
  WireGuardKey(const WireGuardKey& other) = default;
  WireGuardKey& operator=(const WireGuardKey& other) = default;
  ~WireGuardKey();

  // The base64 text of wg-quick files: 44 characters ending in '=', decoding to 32 bytes.
  static std::optional<WireGuardKey> fromBase64(std::string_view text);

  // Lower-case hex, as the UAPI socket takes keys.
  std::string hex() const;
  std::string base64() const;

  friend bool operator==(const WireGuardKey&, const WireGuardKey&) = default;

 private:
  std::array<std::uint8_t, 32> bytes_{};
};

}  // namespace corvane::daemon::engines::wireguard
