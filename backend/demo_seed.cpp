#include "backend/demo_seed.h"

#include "backend/demo_catalogue.h"
#include "backend/server_catalogue.h"

namespace corvane::backend {

void seedDemo(AccountStore& store, Database& db, const PasswordHasher& hasher, size_t servers,
              const std::string& caPem) {
  if (!store.findByUsername(kDemoUsername)) {
    Account demo;
    demo.username = kDemoUsername;
    demo.passwordHash = hasher.hash(kDemoPassword);
    demo.contactEmail = kDemoUsername;
    demo.userType = 2;  // premium
    demo.createdAt = store.now();
    demo.expiresAt = demo.createdAt + 365 * 24 * 3600;
    store.createAccount(demo);
  }
  ServerCatalogue::replace(db, demoCatalogue(servers, caPem));
}

}  // namespace corvane::backend
