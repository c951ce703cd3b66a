#pragma once
#include <atomic>
#include <cstddef>

#include <boost/asio/thread_pool.hpp>

#include "backend/router.h"
#include "backend/server_limits.h"

namespace corvane::backend {

// What every connection of one listener uses. The HTTP server owns all of it and outlives
// every session.
struct SessionShared {
  const Router& router;
  const ServerLimits& limits;
  // Handlers hash passwords and touch SQLite: they run here, never on the I/O threads, so a
  // slow handler delays no other connection's reading or writing.
  boost::asio::thread_pool& workers;
  std::atomic<std::size_t>& connections;
};

}  // namespace corvane::backend
