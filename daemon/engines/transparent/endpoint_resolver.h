#pragma once
// A server's host name or address as the numeric address the rules and the kill switch need.
// The first address the resolver gives; IPv4 only for the transparent table, which carries
// IPv4 only.
#include <optional>
#include <string>

namespace corvane::daemon::engines::transparent {

enum class AddressFamily { ipv4, any };

std::optional<std::string> resolveServerAddress(const std::string& host, AddressFamily family = AddressFamily::ipv4);

}  // namespace corvane::daemon::engines::transparent
