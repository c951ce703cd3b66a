#include "backend/account_store.h"

#include <sodium.h>

#include "backend/user_name.h"

namespace corvane::backend {
namespace {

constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS accounts (
  id INTEGER PRIMARY KEY,
  username TEXT NOT NULL UNIQUE COLLATE NOCASE,
  password_hash TEXT NOT NULL,
  contact_email TEXT NOT NULL,
  username_key TEXT,
  contact_key TEXT,
  user_type INTEGER NOT NULL,
  created_at INTEGER NOT NULL,
  expires_at INTEGER NOT NULL
);
CREATE TABLE IF NOT EXISTS devices (
  id INTEGER PRIMARY KEY,
  account_id INTEGER NOT NULL REFERENCES accounts(id) ON DELETE CASCADE,
  udid TEXT NOT NULL,
  device_type INTEGER NOT NULL,
  player_id TEXT NOT NULL,
  app_id INTEGER NOT NULL,
  vpn_app_version TEXT NOT NULL,
  brand TEXT NOT NULL,
  model TEXT NOT NULL,
  os_name TEXT NOT NULL,
  os_platform TEXT NOT NULL,
  device_name TEXT NOT NULL,
  os_version TEXT NOT NULL,
  is_rooted INTEGER NOT NULL,
  online INTEGER NOT NULL,
  created_at INTEGER NOT NULL,
  last_seen INTEGER NOT NULL,
  UNIQUE(account_id, udid)
);
CREATE TABLE IF NOT EXISTS reset_codes (
  account_id INTEGER PRIMARY KEY REFERENCES accounts(id) ON DELETE CASCADE,
  code TEXT NOT NULL,
  expires_at INTEGER NOT NULL,
  attempts INTEGER NOT NULL DEFAULT 0
);
CREATE TABLE IF NOT EXISTS wireguard_peers (
  account_id INTEGER NOT NULL REFERENCES accounts(id) ON DELETE CASCADE,
  server_id INTEGER NOT NULL,
  public_key TEXT NOT NULL,
  updated_at INTEGER NOT NULL,
  PRIMARY KEY(account_id, server_id)
);
)sql";

constexpr const char* kAccountColumns =
    "id, username, password_hash, contact_email, user_type, created_at, expires_at";

Account readAccount(const Statement& s) {
  return Account{s.integer(0), s.text(1), s.text(2), s.text(3), s.integer(4), s.integer(5), s.integer(6)};
}

constexpr const char* kDeviceColumns =
    "id, account_id, udid, device_type, player_id, app_id, vpn_app_version, brand, model, os_name, "
    "os_platform, device_name, os_version, is_rooted, created_at";

DeviceRecord readDevice(const Statement& s) {
  DeviceRecord d;
  d.id = s.integer(0);
  d.accountId = s.integer(1);
  d.udid = s.text(2);
  d.deviceType = s.integer(3);
  d.playerId = s.text(4);
  d.appId = s.integer(5);
  d.vpnAppVersion = s.text(6);
  d.brand = s.text(7);
  d.model = s.text(8);
  d.osName = s.text(9);
  d.osPlatform = s.text(10);
  d.deviceName = s.text(11);
  d.osVersion = s.text(12);
  d.isRooted = s.integer(13);
  d.createdAt = s.integer(14);
  return d;
}

}  // namespace

AccountStore::AccountStore(const std::filesystem::path& file, Clock clock) : db_(file), clock_(std::move(clock)) {
  migrate();
}

void AccountStore::migrate() {
  std::lock_guard lock(mutex_);
  Transaction tx(db_);
  db_.exec(kSchema);
  addNameKeys();
  db_.exec(
      "CREATE INDEX IF NOT EXISTS accounts_username_key ON accounts(username_key);"
      "CREATE INDEX IF NOT EXISTS accounts_contact_key ON accounts(contact_key);");
  tx.commit();
}

// Databases made before names had comparison keys get the columns and their values; where two
// old accounts now share a key, the older one keeps it, since lookups take the lowest id.
void AccountStore::addNameKeys() {
  bool hasKeys = false;
  {
    auto columns = db_.prepare("PRAGMA table_info(accounts)");
    while (columns.step()) hasKeys = hasKeys || columns.text(1) == "username_key";
  }
  if (!hasKeys) db_.exec("ALTER TABLE accounts ADD COLUMN username_key TEXT; ALTER TABLE accounts ADD COLUMN contact_key TEXT;");
  auto missing = db_.prepare("SELECT id, username, contact_email FROM accounts WHERE username_key IS NULL OR contact_key IS NULL");
  auto update = db_.prepare("UPDATE accounts SET username_key = ?, contact_key = ? WHERE id = ?");
  while (missing.step()) {
    update.reset();
    update.bind(1, nameKey(missing.text(1))).bind(2, nameKey(missing.text(2))).bind(3, missing.integer(0)).run();
  }
}

AccountStore::CreateOutcome AccountStore::createAccount(Account& account) {
  const std::string usernameKey = nameKey(account.username);
  const std::string contactKey = nameKey(account.contactEmail);
  std::lock_guard lock(mutex_);
  Transaction tx(db_);
  auto taken = [&](const std::string& key) {
    auto check = db_.prepare("SELECT 1 FROM accounts WHERE username_key = ?1 OR contact_key = ?1 LIMIT 1");
    return check.bind(1, key).step();
  };
  if (taken(usernameKey)) return CreateOutcome::usernameTaken;
  if (taken(contactKey)) return CreateOutcome::contactTaken;
  // The old case-insensitive UNIQUE on username still guards databases of every age.
  {
    auto check = db_.prepare("SELECT 1 FROM accounts WHERE username = ?");
    if (check.bind(1, account.username).step()) return CreateOutcome::usernameTaken;
  }
  db_.prepare(
         "INSERT INTO accounts (username, password_hash, contact_email, user_type, created_at, expires_at, "
         "username_key, contact_key) VALUES (?, ?, ?, ?, ?, ?, ?, ?)")
      .bind(1, account.username)
      .bind(2, account.passwordHash)
      .bind(3, account.contactEmail)
      .bind(4, account.userType)
      .bind(5, account.createdAt)
      .bind(6, account.expiresAt)
      .bind(7, usernameKey)
      .bind(8, contactKey)
      .run();
  account.id = db_.lastInsertId();
  tx.commit();
  return CreateOutcome::created;
}

std::optional<Account> AccountStore::findByUsername(const std::string& username) {
  const std::string key = nameKey(username);
  if (key.empty()) return std::nullopt;
  std::lock_guard lock(mutex_);
  auto s = db_.prepare(std::string("SELECT ") + kAccountColumns + " FROM accounts WHERE username_key = ? ORDER BY id LIMIT 1");
  if (!s.bind(1, key).step()) return std::nullopt;
  return readAccount(s);
}

std::optional<Account> AccountStore::findByUsernameOrEmail(const std::string& name) {
  if (auto byName = findByUsername(name)) return byName;
  const std::string key = nameKey(name);
  if (key.empty()) return std::nullopt;
  std::lock_guard lock(mutex_);
  auto s = db_.prepare(std::string("SELECT ") + kAccountColumns + " FROM accounts WHERE contact_key = ? ORDER BY id LIMIT 1");
  if (!s.bind(1, key).step()) return std::nullopt;
  return readAccount(s);
}

DeviceRecord AccountStore::upsertDevice(std::int64_t accountId, const DeviceRecord& device) {
  std::lock_guard lock(mutex_);
  const std::int64_t at = clock_();
  Transaction tx(db_);
  db_.prepare(
         "INSERT INTO devices (account_id, udid, device_type, player_id, app_id, vpn_app_version, brand, model, "
         "os_name, os_platform, device_name, os_version, is_rooted, online, created_at, last_seen) "
         "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, 1, ?14, ?14) "
         "ON CONFLICT(account_id, udid) DO UPDATE SET device_type = ?3, player_id = ?4, app_id = ?5, "
         "vpn_app_version = ?6, brand = ?7, model = ?8, os_name = ?9, os_platform = ?10, device_name = ?11, "
         "os_version = ?12, is_rooted = ?13, online = 1, last_seen = ?14")
      .bind(1, accountId)
      .bind(2, device.udid)
      .bind(3, device.deviceType)
      .bind(4, device.playerId)
      .bind(5, device.appId)
      .bind(6, device.vpnAppVersion)
      .bind(7, device.brand)
      .bind(8, device.model)
      .bind(9, device.osName)
      .bind(10, device.osPlatform)
      .bind(11, device.deviceName)
      .bind(12, device.osVersion)
      .bind(13, device.isRooted)
      .bind(14, at)
      .run();
  auto s = db_.prepare(std::string("SELECT ") + kDeviceColumns + " FROM devices WHERE account_id = ? AND udid = ?");
  s.bind(1, accountId).bind(2, device.udid).step();
  DeviceRecord stored = readDevice(s);
  tx.commit();
  return stored;
}

std::vector<DeviceRecord> AccountStore::onlineDevices(std::int64_t accountId) {
  std::lock_guard lock(mutex_);
  auto s = db_.prepare(std::string("SELECT ") + kDeviceColumns +
                       " FROM devices WHERE account_id = ? AND online = 1 ORDER BY id");
  s.bind(1, accountId);
  std::vector<DeviceRecord> devices;
  while (s.step()) devices.push_back(readDevice(s));
  return devices;
}

bool AccountStore::setOffline(std::int64_t accountId, const std::string& udid) {
  std::lock_guard lock(mutex_);
  Transaction tx(db_);
  if (udid.empty()) {
    db_.prepare(
           "UPDATE devices SET online = 0 WHERE id = (SELECT id FROM devices WHERE account_id = ? AND online = 1 "
           "ORDER BY last_seen DESC, id DESC LIMIT 1)")
        .bind(1, accountId)
        .run();
  } else {
    db_.prepare("UPDATE devices SET online = 0 WHERE account_id = ? AND udid = ? AND online = 1")
        .bind(1, accountId)
        .bind(2, udid)
        .run();
  }
  const bool changed = db_.changes() > 0;
  tx.commit();
  return changed;
}

void AccountStore::storeResetCode(std::int64_t accountId, const std::string& code, std::int64_t expiresAt) {
  std::lock_guard lock(mutex_);
  Transaction tx(db_);
  db_.prepare("INSERT OR REPLACE INTO reset_codes (account_id, code, expires_at, attempts) VALUES (?, ?, ?, 0)")
      .bind(1, accountId)
      .bind(2, code)
      .bind(3, expiresAt)
      .run();
  tx.commit();
}

std::optional<std::string> AccountStore::pendingResetCode(std::int64_t accountId) {
  std::lock_guard lock(mutex_);
  auto s = db_.prepare("SELECT code FROM reset_codes WHERE account_id = ?");
  if (!s.bind(1, accountId).step()) return std::nullopt;
  return s.text(0);
}

AccountStore::ResetOutcome AccountStore::claimResetCode(std::int64_t accountId, const std::string& code) {
  std::lock_guard lock(mutex_);
  Transaction tx(db_);
  auto s = db_.prepare("SELECT code, expires_at, attempts FROM reset_codes WHERE account_id = ?");
  if (!s.bind(1, accountId).step()) return ResetOutcome::noCode;
  const std::string stored = s.text(0);
  const std::int64_t expiresAt = s.integer(1);
  const std::int64_t attempts = s.integer(2);
  auto drop = [&] { db_.prepare("DELETE FROM reset_codes WHERE account_id = ?").bind(1, accountId).run(); };

  if (clock_() >= expiresAt) {
    drop();
    tx.commit();
    return ResetOutcome::expired;
  }
  const bool matches = code.size() == stored.size() && sodium_memcmp(code.data(), stored.data(), code.size()) == 0;
  if (!matches) {
    if (attempts + 1 >= kMaxResetAttempts) {
      drop();
      tx.commit();
      return ResetOutcome::tooManyAttempts;
    }
    db_.prepare("UPDATE reset_codes SET attempts = attempts + 1 WHERE account_id = ?").bind(1, accountId).run();
    tx.commit();
    return ResetOutcome::wrongCode;
  }
  drop();
  tx.commit();
  return ResetOutcome::accepted;
}

void AccountStore::setPasswordHash(std::int64_t accountId, const std::string& hash) {
  std::lock_guard lock(mutex_);
  Transaction tx(db_);
  db_.prepare("UPDATE accounts SET password_hash = ? WHERE id = ?").bind(1, hash).bind(2, accountId).run();
  tx.commit();
}

std::string AccountStore::registerWireGuardPeer(std::int64_t accountId, std::int64_t serverId,
                                                const std::string& publicKey) {
  std::lock_guard lock(mutex_);
  Transaction tx(db_);
  db_.prepare("INSERT OR REPLACE INTO wireguard_peers (account_id, server_id, public_key, updated_at) VALUES (?, ?, ?, ?)")
      .bind(1, accountId)
      .bind(2, serverId)
      .bind(3, publicKey)
      .bind(4, clock_())
      .run();
  tx.commit();
  return tunnelAddress(accountId);
}

std::string AccountStore::tunnelAddress(std::int64_t accountId) {
  // One tunnel address per account inside 10.66.0.0/16, skipping .0 and .255 of each /24.
  const std::int64_t n = accountId + 1;
  return "10.66." + std::to_string((n / 254) % 256) + "." + std::to_string(n % 254 + 1) + "/32";
}

std::vector<AccountStore::WireGuardPeer> AccountStore::wireGuardPeers() {
  std::lock_guard lock(mutex_);
  auto s = db_.prepare(
      "SELECT a.username, COALESCE(s.vpn_server_id, -1), COALESCE(s.ip_id, -1), p.public_key, p.account_id "
      "FROM wireguard_peers p JOIN accounts a ON a.id = p.account_id LEFT JOIN servers s ON s.id = p.server_id "
      "ORDER BY p.updated_at, p.account_id");
  std::vector<WireGuardPeer> peers;
  while (s.step()) {
    peers.push_back(WireGuardPeer{s.text(0), s.integer(1), s.integer(2), s.text(3), tunnelAddress(s.integer(4))});
  }
  return peers;
}

}  // namespace corvane::backend
