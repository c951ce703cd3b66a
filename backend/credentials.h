#pragma once
#include <optional>
#include <string>

#include "backend/account.h"
#include "backend/backend_context.h"

namespace corvane::backend {

// The account whose user name and password these are. An unknown user name costs one hash
// verification all the same, so the answer time does not reveal which names exist.
std::optional<Account> checkCredentials(BackendContext& ctx, const std::string& username, const std::string& password);

}  // namespace corvane::backend
