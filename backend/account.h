#pragma once
#include <cstdint>
#include <string>

namespace corvane::backend {

// One row of the accounts table. Times are Unix seconds.
struct Account {
  std::int64_t id = 0;
  std::string username;
  std::string passwordHash;
  std::string contactEmail;
  std::int64_t userType = 1;
  std::int64_t createdAt = 0;
  std::int64_t expiresAt = 0;
};

}  // namespace corvane::backend
