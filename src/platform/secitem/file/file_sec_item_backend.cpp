#include "platform/secitem/file/file_sec_item_backend.h"

#include "platform/secitem/file/keychain_file_format.h"
#include "platform/secitem/file/keychain_lock.h"
#include "platform/secitem/file/private_file.h"

namespace corvane::platform {
namespace fs = std::filesystem;
using secitemfile::moveAside;
using secitemfile::readPrivateFile;
using secitemfile::removeStaleTemporaries;
using secitemfile::replacePrivateFile;
namespace {

// Far above what a handful of small secrets needs; a bigger file is not ours to load.
constexpr std::size_t kMaxFileSize = 64u << 20;

}  // namespace

FileSecItemBackend::FileSecItemBackend(fs::path file, Log log)
    : file_(std::move(file)), log_(std::move(log)) {}

fs::path FileSecItemBackend::defaultFile(const Paths& paths) { return paths.data / "keychain.db"; }

template <typename Request>
SecStatus FileSecItemBackend::transact(bool writes, Request&& request) {
  KeychainLock lock(file_);
  if (!lock.error().empty()) {
    log_.error("Keychain lock unavailable: " + lock.error());
    return secstatus::kNotAvailable;
  }

  auto bytes = readPrivateFile(file_, kMaxFileSize);
  if (!bytes) {
    log_.error("Keychain file read failed: " + bytes.error().description);
    return secstatus::kIoError;
  }
  SecItemTable table;
  if (bytes->has_value()) {
    auto items = decodeKeychainFile(**bytes);
    if (items) {
      table = SecItemTable(std::move(*items));
    } else if (items.error().code == static_cast<int>(KeychainFileProblem::newerVersion)) {
      log_.error("Keychain file " + file_.string() + " was " + items.error().description +
                 "; left unchanged");
      return secstatus::kNotAvailable;
    } else {
      auto aside = moveAside(file_);
      if (!aside) {
        // Starting empty would overwrite the only copy on the next write.
        log_.error("Keychain file " + file_.string() + " is unreadable (" +
                   items.error().description + ") and could not be moved aside: " +
                   aside.error().description);
        return secstatus::kIoError;
      }
      log_.warning("Keychain file " + file_.string() + " is unreadable (" +
                   items.error().description + "); moved it to " + aside->string() +
                   " and starting empty");
    }
  }

  const SecStatus status = request(table);
  if (!writes || status != secstatus::kSuccess) {
    return status;
  }
  removeStaleTemporaries(file_);
  if (auto written = replacePrivateFile(file_, encodeKeychainFile(table.items())); !written) {
    log_.error("Keychain file not written: " + written.error().description);
    return secstatus::kIoError;
  }
  return status;
}

SecCopyResult FileSecItemBackend::copyMatching(const SecItemDictionary& query) {
  SecCopyResult result;
  result.status = transact(false, [&](SecItemTable& table) {
    result = table.copyMatching(query);
    return result.status;
  });
  if (result.status != secstatus::kSuccess) {
    result.data.reset();
  }
  return result;
}

SecStatus FileSecItemBackend::add(const SecItemDictionary& attributes) {
  return transact(true, [&](SecItemTable& table) { return table.add(attributes); });
}

SecStatus FileSecItemBackend::update(const SecItemDictionary& query,
                                     const SecItemDictionary& attributes) {
  return transact(true, [&](SecItemTable& table) { return table.update(query, attributes); });
}

SecStatus FileSecItemBackend::deleteItems(const SecItemDictionary& query) {
  return transact(true, [&](SecItemTable& table) { return table.deleteItems(query); });
}

SecStatus FileSecItemBackend::drainItems(const std::function<bool(const SecItem&)>& take) {
  // "Not found" stands for "nothing taken", so that nothing is written.
  const SecStatus status = transact(true, [&](SecItemTable& table) {
    std::vector<SecItem> kept;
    for (const SecItem& item : table.items()) {
      if (!take(item)) kept.push_back(item);
    }
    if (kept.size() == table.items().size()) return secstatus::kItemNotFound;
    table = SecItemTable(std::move(kept));
    return secstatus::kSuccess;
  });
  return status == secstatus::kItemNotFound ? secstatus::kSuccess : status;
}

std::optional<SecAccessControl> FileSecItemBackend::createAccessControl(
    SecAccessible accessible, SecAccessControlFlags flags, std::optional<Error>& error) {
  if (flags != 0) {
    error = Error(kSecItemErrorDomain, secstatus::kUnimplemented,
                  "the file store cannot enforce an authentication policy");
    return std::nullopt;
  }
  return SecAccessControl{accessible, 0};
}

}  // namespace corvane::platform
