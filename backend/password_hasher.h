#pragma once
// Argon2id password hashes through libsodium's crypto_pwhash_str. The cost is a choice of the
// operator: "interactive" (libsodium's recommended limits for logins) or "minimal" (the library's
// lowest allowed limits, for demos, tests and benchmarks where a login must not cost 60 ms).
// Each hash string records its own limits, so verifying works whichever cost made it.
#include <string>
#include <string_view>

namespace corvane::backend {

enum class HashCost { interactive, minimal };

class PasswordHasher {
 public:
  explicit PasswordHasher(HashCost cost) : cost_(cost) {}

  // Throws std::runtime_error when libsodium runs out of memory.
  std::string hash(std::string_view password) const;
  bool verify(const std::string& hash, std::string_view password) const;

 private:
  HashCost cost_;
};

}  // namespace corvane::backend
