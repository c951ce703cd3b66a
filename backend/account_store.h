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

#include "account.h"
#include "device_record.h"
#include "sqlite_db.h"

namespace corvane::backend {

class AccountStore {
 public:
  using Clock = std::function<std::int64_t()>;  // Unix seconds

  AccountStore(const std::filesystem::path& file, Clock clock);

  std::int64_t now() const { return clock_(); }

  // False when the user name is taken (compared without regard to case).
  bool createAccount(Account& account);
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

  enum class ResetOutcome { reset, noCode, wrongCode, expired, tooManyAttempts };
  // Checks `code` and, when it matches and has not expired, sets the new hash and consumes
  // the code, all in one transaction. A wrong code counts an attempt; after kMaxResetAttempts
  // the code is void, so six digits cannot be guessed by trying them all.
  ResetOutcome resetPassword(std::int64_t accountId, const std::string& code, const std::string& newHash);
  static constexpr int kMaxResetAttempts = 5;

  // The tunnel address of the account's peer on `serverId`, recording `publicKey` as its key.
  std::string registerWireGuardPeer(std::int64_t accountId, std::int64_t serverId, const std::string& publicKey);

 private:
  void migrate();

  std::mutex mutex_;
  Database db_;
  Clock clock_;
};

}  // namespace corvane::backend
