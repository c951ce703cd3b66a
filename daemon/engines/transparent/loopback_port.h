#pragma once
// Loopback ports for the engines' listeners: a free one to hand to the program, and whether
// the program listens on it yet (read from /proc/net/tcp of the daemon's own namespace, so
// the check never connects and never sends the engine a stray connection).
#include <cstdint>
#include <optional>

namespace corvane::daemon::engines::transparent {

std::optional<std::uint16_t> freeLoopbackPort();
bool listensOnLoopback(std::uint16_t port);

}  // namespace corvane::daemon::engines::transparent
