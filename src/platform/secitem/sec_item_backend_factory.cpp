#include "platform/secitem/sec_item_backend_factory.h"

#include <cstdlib>
#include <string_view>

#include "platform/secitem/file/file_sec_item_backend.h"
#include "platform/secitem/sec_item_table.h"

namespace corvane::platform {
namespace {

// What a forced but unreachable Secret Service leaves: every request fails, nothing is
// written anywhere else.
class UnavailableSecItemBackend final : public SecItemBackend {
 public:
  SecCopyResult copyMatching(const SecItemDictionary&) override { return {secstatus::kNotAvailable, {}}; }
  SecStatus add(const SecItemDictionary&) override { return secstatus::kNotAvailable; }
  SecStatus update(const SecItemDictionary&, const SecItemDictionary&) override {
    return secstatus::kNotAvailable;
  }
  SecStatus deleteItems(const SecItemDictionary&) override { return secstatus::kNotAvailable; }
  std::optional<SecAccessControl> createAccessControl(SecAccessible, SecAccessControlFlags,
                                                      std::optional<Error>& error) override {
    error = Error(kSecItemErrorDomain, secstatus::kNotAvailable, "the Secret Service is not available");
    return std::nullopt;
  }
};

std::string describe(const SecItem& item) {
  return "service \"" + item.service + "\", account \"" + item.account + "\"";
}

// Moves the file's items into the Secret Service (see the header).
void moveFileItems(FileSecItemBackend& file, SecretServiceBackend& secrets, const Log& log) {
  std::error_code ec;
  if (!std::filesystem::exists(file.file(), ec)) return;
  std::size_t moved = 0;
  std::size_t kept = 0;
  const SecStatus drained = file.drainItems([&](const SecItem& item) {
    const SecStatus added = secrets.add(storeRequest(item));
    if (added != secstatus::kSuccess && added != secstatus::kDuplicateItem) {
      ++kept;
      return false;
    }
    SecItem stored;
    if (secrets.read(item, stored) == secstatus::kSuccess && stored == item) {
      ++moved;  // copied now, or by an earlier move that stopped before the file was written
      return true;
    }
    ++kept;
    if (added == secstatus::kDuplicateItem) {
      log.warning("Keychain: left the item (" + describe(item) + ") in " + file.file().string() +
                  ": the Secret Service holds a different item of that identity");
    } else {
      // Our own copy did not read back as written; take it out again rather than leave a
      // second, different version of the item behind.
      log.error("Keychain: the Secret Service's copy of the item (" + describe(item) +
                ") did not read back as written; left it in " + file.file().string());
      secrets.deleteItems(identityQuery(item));
    }
    return false;
  });
  if (drained != secstatus::kSuccess) {
    log.error("Keychain: could not move the items of " + file.file().string() +
              " to the Secret Service (status " + std::to_string(drained) + ")");
    return;
  }
  if (moved > 0) {
    log.info("Keychain: moved " + std::to_string(moved) + " item(s) from " + file.file().string() +
             " to the Secret Service");
  }
  if (kept > 0) {
    log.warning("Keychain: " + std::to_string(kept) + " item(s) stay in " + file.file().string());
  }
}

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

}  // namespace

std::unique_ptr<SecItemBackend> makeSecItemBackend(const Paths& paths, Log log,
                                                   SecretServiceBackend::Options timeouts) {
  const std::string forced = environment("CORVANE_KEYCHAIN");
  auto fileStore = [&](const std::string& why) {
    auto file = std::make_unique<FileSecItemBackend>(FileSecItemBackend::defaultFile(paths), log);
    log.info("Keychain: the file store " + file->file().string() + " (" + why + ")");
    return file;
  };
  if (forced == "file") return fileStore("CORVANE_KEYCHAIN=file");
  if (!forced.empty() && forced != "secret-service") {
    log.warning("Keychain: ignoring CORVANE_KEYCHAIN=\"" + forced +
                "\" (it takes \"file\" or \"secret-service\")");
  }
  const bool mustUseService = forced == "secret-service";
  if (!mustUseService && environment("DBUS_SESSION_BUS_ADDRESS").empty()) {
    return fileStore("no session bus: DBUS_SESSION_BUS_ADDRESS is not set");
  }
  // The keyring's changes hold the file store's lock, so the move below and any other
  // program's change of our items (moving too, or writing the same item) take turns.
  timeouts.lockedWith = FileSecItemBackend::defaultFile(paths);
  auto secrets = SecretServiceBackend::open(log, timeouts);
  if (!secrets) {
    if (mustUseService) {
      log.error("Keychain: CORVANE_KEYCHAIN=secret-service, but " + secrets.error().description +
                "; every keychain request will fail");
      return std::make_unique<UnavailableSecItemBackend>();
    }
    return fileStore(secrets.error().description);
  }
  log.info(std::string("Keychain: the Secret Service on the session bus") +
           (mustUseService ? " (CORVANE_KEYCHAIN=secret-service)" : ""));
  FileSecItemBackend file(FileSecItemBackend::defaultFile(paths), log);
  moveFileItems(file, **secrets, log);
  return std::move(*secrets);
}

}  // namespace corvane::platform
