#pragma once
#include <chrono>
#include <cstddef>

namespace corvane::backend {

// What one client may cost the HTTP layer. Every limit holds whatever the framing: a chunked
// body counts against maxBodyBytes as it arrives, and the deadline covers the whole request
// head and body (and the TLS handshake before it), so a client that trickles bytes is cut off.
struct ServerLimits {
  std::size_t maxBodyBytes = 64 * 1024;
  // Request line plus headers. 16 KiB holds any honest client's head many times over.
  std::size_t maxHeaderBytes = 16 * 1024;
  std::size_t maxHeaderCount = 64;
  std::chrono::milliseconds requestDeadline{std::chrono::seconds(10)};
  std::chrono::milliseconds writeDeadline{std::chrono::seconds(30)};
  // Open connections over every listener; further clients are closed at once instead of
  // holding descriptors and buffers.
  std::size_t maxConnections = 4096;
};

}  // namespace corvane::backend
