#pragma once
// Accounts, their signed-in devices, password-reset codes and WireGuard peers, in one SQLite
// file. Every change runs in a transaction, and one mutex serialises the connection, so
// concurrent requests never interleave inside a transaction.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "backend/account.h"
#include "backend/device_record.h"
#include "backend/sqlite_db.h"

namespace corvane::backend {

class AccountStore {
 public:
  using Clock = std::function<std::int64_t()>;  // Unix seconds

  AccountStore(const std::filesystem::path& file, Clock clock);

  std::int64_t now() const { return clock_(); }

  // User names and contact addresses share one space of comparison keys (see user_name.h):
  // no key may belong to two accounts, so a user name can never be someone else's address.
  enum class CreateOutcome { created, usernameTaken, contactTaken };
  CreateOutcome createAccount(Account& account);
  std::optional<Account> findByUsername(const std::string& username);
  // The password-recovery screen asks for the e-mail address, so a reset may name either.
  std::optional<Account> findByUsernameOrEmail(const std::string& name);

  // Registers the device, or refreshes it and marks it online when the account knows its udid.
  DeviceRecord upsertDevice(std::int64_t accountId, const DeviceRecord& device);
  std::vector<DeviceRecord> onlineDevices(std::int64_t accountId);
  // Marks `udid` offline, or the account's most recently seen online device when `udid` is
  // empty. False when no online device matched.
  bool setOffline(std::int64_t accountId, const std::string& udid);

  // Replaces any earlier code of the account.
  void storeResetCode(std::int64_t accountId, const std::string& code, std::int64_t expiresAt);
  std::optional<std::string> pendingResetCode(std::int64_t accountId);

  enum class ResetOutcome { accepted, noCode, wrongCode, expired, tooManyAttempts };
  // Checks `code` and consumes it when it matches and has not expired, in one transaction, so
  // two requests can never both use one code. A wrong code counts an attempt; after
  // kMaxResetAttempts the code is void. The caller hashes the new password only after this
  // accepted the code: a wrong guess costs no hashing.
  ResetOutcome claimResetCode(std::int64_t accountId, const std::string& code);
  static constexpr int kMaxResetAttempts = 3;
  void setPasswordHash(std::int64_t accountId, const std::string& hash);

  // The tunnel address of the account's peer on `serverId`, recording `publicKey` as its key.
  std::string registerWireGuardPeer(std::int64_t accountId, std::int64_t serverId, const std::string& publicKey);
  // Every recorded peer with its server's identifiers, for a test that provisions the peers on
  // its own WireGuard server. Servers no longer in the catalogue give -1 identifiers.
  struct WireGuardPeer {
    std::string username;
    std::int64_t vpnServerId = -1;
    std::int64_t ipId = -1;
    std::string publicKey;
    std::string address;
  };
  std::vector<WireGuardPeer> wireGuardPeers();

 private:
  void migrate();
  void addNameKeys();
  static std::string tunnelAddress(std::int64_t accountId);

  std::mutex mutex_;
  Database db_;
  Clock clock_;
};

}  // namespace corvane::backend
