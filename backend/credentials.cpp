#include "backend/credentials.h"

namespace corvane::backend {

std::optional<Account> checkCredentials(BackendContext& ctx, const std::string& username, const std::string& password) {
  static const std::string dummyHash = ctx.hasher.hash("corvane: no such account");
  const auto account = ctx.store.findByUsername(username);
  const bool ok = ctx.hasher.verify(account ? account->passwordHash : dummyHash, password);
  if (!account || !ok) return std::nullopt;
  return account;
}

}  // namespace corvane::backend
