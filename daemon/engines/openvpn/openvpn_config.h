#pragma once
// A server's OpenVPN profile after the allowlist: the directives and inline blocks openvpn may
// see, and the servers it names. Only parseOpenVpnConfig makes one, so holding an
// OpenVpnConfig means the text was checked; render() writes it back in a form openvpn reads
// word for word as it was checked (comments gone, odd words quoted).
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "daemon/engines/openvpn/openvpn_remote.h"
#include "platform/core/result.h"

namespace corvane::daemon::engines::openvpn {

// Longer profiles are refused before any parsing (certificates and keys fit many times over).
inline constexpr std::size_t kMaxOpenVpnConfigBytes = 256 * 1024;

struct OpenVpnConfig {
  std::vector<std::vector<std::string>> directives;          // name first, in the profile's order
  std::vector<std::pair<std::string, std::string>> blocks;   // tag, content (ends with '\n')
  // <connection> blocks: each one server's own directives (exactly one 'remote'), written
  // back as blocks after the directives.
  std::vector<std::vector<std::vector<std::string>>> connections;
  std::vector<OpenVpnRemote> remotes;
  // A bare `auth-user-pass` with no inline block: the account comes from the run's manager.
  bool wantsAccount = false;

  bool hasBlock(std::string_view tag) const;
  std::string render() const;
};

// Refuses anything outside the allowlist: the error names the line and quotes it. A bare
// `auth-user-pass` is accepted only when `accountSaved` (the daemon then hands openvpn the
// manager's account in a file of its own); otherwise it would ask a console.
Result<OpenVpnConfig> parseOpenVpnConfig(std::string_view text, bool accountSaved = false);

}  // namespace corvane::daemon::engines::openvpn
