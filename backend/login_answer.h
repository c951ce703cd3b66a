#pragma once
#include <cstdint>
#include <string>

#include "backend/account.h"
#include "backend/server_catalogue.h"

namespace corvane::backend {

// The User record of an accepted login, as JSON text, with the catalogue as "ip_bundle".
std::string acceptedLoginAnswer(const Account& account, const ServerCatalogue& catalogue, std::int64_t now);

}  // namespace corvane::backend
