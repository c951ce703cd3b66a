#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "backend/account.h"
#include "backend/server_catalogue.h"

namespace corvane::backend {

// The User record of an accepted login, as JSON text, with the catalogue as "ip_bundle";
// `bundleAt` is where the catalogue's text starts in it.
struct LoginAnswer {
  std::string text;
  std::size_t bundleAt = 0;
};
LoginAnswer acceptedLoginAnswer(const Account& account, const ServerCatalogue& catalogue, std::int64_t now);

}  // namespace corvane::backend
