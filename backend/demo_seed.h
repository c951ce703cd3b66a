#pragma once
#include <cstddef>
#include <string>

#include "backend/account_store.h"
#include "backend/password_hasher.h"
#include "backend/sqlite_db.h"

namespace corvane::backend {

// The demo account, documented in --help so anyone can sign in to a --demo backend.
inline constexpr const char* kDemoUsername = "demo@corvane.test";
inline constexpr const char* kDemoPassword = "corvane-demo-2026";

// Makes the demo account when it is missing (an existing one, and its password, are kept) and
// replaces the catalogue with `servers` demo servers.
void seedDemo(AccountStore& store, Database& db, const PasswordHasher& hasher, size_t servers,
              const std::string& caPem);

}  // namespace corvane::backend
