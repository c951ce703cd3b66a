#include "backend/password_hasher.h"

#include <sodium.h>

#include <stdexcept>

namespace corvane::backend {

std::string PasswordHasher::hash(std::string_view password) const {
  const unsigned long long ops =
      cost_ == HashCost::interactive ? crypto_pwhash_OPSLIMIT_INTERACTIVE : crypto_pwhash_OPSLIMIT_MIN;
  // MEMLIMIT_MIN is 8 KiB, which Argon2id accepts; it is only for throw-away accounts.
  const size_t mem = cost_ == HashCost::interactive ? crypto_pwhash_MEMLIMIT_INTERACTIVE : crypto_pwhash_MEMLIMIT_MIN;
  char out[crypto_pwhash_STRBYTES];
  if (crypto_pwhash_str(out, password.data(), password.size(), ops, mem) != 0) {
    throw std::runtime_error("password hashing ran out of memory");
  }
  return out;
}

bool PasswordHasher::verify(const std::string& hash, std::string_view password) const {
  if (hash.empty() || hash.size() >= crypto_pwhash_STRBYTES) return false;
  return crypto_pwhash_str_verify(hash.c_str(), password.data(), password.size()) == 0;
}

}  // namespace corvane::backend
