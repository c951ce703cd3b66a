#pragma once
// One row of the OpenVPN allowlist: which directive, how many words may follow it, what those
// words may be, and whether the service keeps it or sets the directive itself.
#include <optional>
#include <string_view>

namespace corvane::daemon::engines::openvpn {

enum class ArgKind {
  text,      // a plain word (cipher names, x509 names, route targets)
  number,    // a decimal number (seconds, bytes, counts)
  choice,    // one of `choices`
};

enum class Disposition {
  keep,       // written to the engine's configuration as read
  replaced,   // checked, then left out: the service writes its own value (dev, verb)
  dropped,    // harmless on this platform (Windows-only switches): left out
};

struct OpenVpnDirectiveRule {
  std::string_view name;
  int minArgs = 0;
  int maxArgs = 0;
  ArgKind kind = ArgKind::text;
  std::string_view choices;  // space-separated, for ArgKind::choice
  Disposition disposition = Disposition::keep;
};

// The row for an allowed directive, or none.
const OpenVpnDirectiveRule* findDirectiveRule(std::string_view name);

// Why a known directive is refused ("runs a program", "names a file"...), or none when the
// directive is merely unknown.
std::optional<std::string_view> refusalReason(std::string_view name);

// Inline blocks (<ca> ... </ca>) that may carry material; all other tags are refused.
bool isAllowedInlineBlock(std::string_view tag);

}  // namespace corvane::daemon::engines::openvpn
