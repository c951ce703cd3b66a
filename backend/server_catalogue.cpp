#include "backend/server_catalogue.h"

namespace corvane::backend {
namespace {

constexpr int kWireGuardType = 5;

std::int64_t intField(const nlohmann::json& bundle, const char* key) {
  const auto it = bundle.find(key);
  return it != bundle.end() && it->is_number_integer() ? it->get<std::int64_t>() : -1;
}

}  // namespace

void ServerCatalogue::ensureSchema(Database& db) {
  db.exec(
      "CREATE TABLE IF NOT EXISTS servers ("
      "  id INTEGER PRIMARY KEY,"
      "  vpn_server_id INTEGER NOT NULL,"
      "  ip_id INTEGER NOT NULL,"
      "  type INTEGER NOT NULL,"
      "  bundle TEXT NOT NULL,"
      "  wg_public_key TEXT NOT NULL DEFAULT '')");
  // Columns added later; older databases get them here.
  bool hasEndpoint = false;
  auto columns = db.prepare("PRAGMA table_info(servers)");
  while (columns.step()) hasEndpoint = hasEndpoint || columns.text(1) == "wg_endpoint";
  if (!hasEndpoint) {
    db.exec("ALTER TABLE servers ADD COLUMN wg_endpoint TEXT NOT NULL DEFAULT '';"
            "ALTER TABLE servers ADD COLUMN wg_dns TEXT NOT NULL DEFAULT '';");
  }
}

void ServerCatalogue::replace(Database& db, const std::vector<CatalogueEntry>& entries) {
  ensureSchema(db);
  Transaction tx(db);
  db.exec("DELETE FROM servers");
  auto insert = db.prepare(
      "INSERT INTO servers (vpn_server_id, ip_id, type, bundle, wg_public_key, wg_endpoint, wg_dns) "
      "VALUES (?, ?, ?, ?, ?, ?, ?)");
  for (const auto& entry : entries) {
    insert.reset();
    insert.bind(1, intField(entry.bundle, "vpn_server_id"))
        .bind(2, intField(entry.bundle, "ip_id"))
        .bind(3, intField(entry.bundle, "type"))
        .bind(4, entry.bundle.dump())
        .bind(5, entry.wireGuardPublicKey)
        .bind(6, entry.wireGuardEndpoint)
        .bind(7, entry.wireGuardDns)
        .run();
  }
  tx.commit();
}

ServerCatalogue::ServerCatalogue(Database& db) {
  ensureSchema(db);
  auto s = db.prepare(
      "SELECT id, vpn_server_id, ip_id, type, bundle, wg_public_key, wg_endpoint, wg_dns FROM servers ORDER BY id");
  bundleJson_.assign(1, '[');
  while (s.step()) {
    const std::string bundle = s.text(4);
    if (size_ > 0) bundleJson_.push_back(',');
    bundleJson_.append(bundle);
    ++size_;
    if (s.integer(3) == kWireGuardType) {
      const auto parsed = nlohmann::json::parse(bundle, nullptr, false);
      const std::string ip = parsed.is_object() && parsed.value("ip", nlohmann::json()).is_string()
                                 ? parsed["ip"].get<std::string>()
                                 : std::string();
      wireGuard_[{s.integer(1), s.integer(2)}] = WireGuardServer{s.integer(0), ip, s.text(5), s.text(6), s.text(7)};
    }
  }
  bundleJson_.push_back(']');
  deflatedBundle_ = DeflatedText::compress(bundleJson_);
}

std::optional<WireGuardServer> ServerCatalogue::findWireGuard(std::int64_t vpnServerId, std::int64_t ipId) const {
  const auto it = wireGuard_.find({vpnServerId, ipId});
  if (it == wireGuard_.end()) return std::nullopt;
  return it->second;
}

}  // namespace corvane::backend
