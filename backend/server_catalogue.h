#pragma once
// The server catalogue every login returns. It lives in the servers table and is read once at
// start-up; a login then splices the pre-serialised array into its answer, so a catalogue of
// thousands of servers costs one string copy per login rather than a JSON rebuild.
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "backend/catalogue_entry.h"
#include "backend/deflated_text.h"
#include "backend/sqlite_db.h"

namespace corvane::backend {

struct WireGuardServer {
  std::int64_t rowId = 0;
  std::string ip;  // as in the catalogue: an address, optionally with ":port"
  std::string publicKey;
  std::string endpoint;  // empty: use `ip`
  std::string dns;       // empty: no DNS line
};

class ServerCatalogue {
 public:
  explicit ServerCatalogue(Database& db);

  // Replaces every stored server in one transaction.
  static void replace(Database& db, const std::vector<CatalogueEntry>& entries);

  const std::string& bundleJson() const { return bundleJson_; }
  // bundleJson() deflated once, for gzip answers; null when zlib failed.
  const std::shared_ptr<const DeflatedText>& deflatedBundle() const { return deflatedBundle_; }
  size_t size() const { return size_; }
  std::optional<WireGuardServer> findWireGuard(std::int64_t vpnServerId, std::int64_t ipId) const;

 private:
  static void ensureSchema(Database& db);

  std::string bundleJson_;
  std::shared_ptr<const DeflatedText> deflatedBundle_;
  size_t size_ = 0;
  std::map<std::pair<std::int64_t, std::int64_t>, WireGuardServer> wireGuard_;
};

}  // namespace corvane::backend
