#pragma once
// What the route groups share. Built once the listeners are bound, because the link table and
// the domain source name the ports actually chosen.
#include <spdlog/logger.h>

#include <memory>
#include <string>

#include "backend/abuse_limits.h"
#include "backend/account_store.h"
#include "backend/backend_options.h"
#include "backend/password_hasher.h"
#include "backend/server_catalogue.h"

namespace corvane::backend {

struct BackendContext {
  AccountStore& store;
  const ServerCatalogue& catalogue;
  PasswordHasher hasher;
  std::shared_ptr<spdlog::logger> log;
  BackendOptions options;
  // Host as clients should write it in a URL (an IPv6 address in brackets), and the bound ports.
  std::string advertisedHost;
  int httpsPort = 0;
  int httpPort = 0;
  AbuseLimits& limits;
  // Random per start; keys the invented address masks of unknown names (masked_address.h).
  std::string answerSecret;
};

}  // namespace corvane::backend
