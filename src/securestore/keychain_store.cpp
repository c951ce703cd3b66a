#include "securestore/keychain_store.h"

#include "platform/core/utf8.h"

namespace corvane::securestore {
namespace {

using platform::SecData;
using platform::SecItemDictionary;
using platform::SecStatus;
namespace secstatus = platform::secstatus;

// The application's bundle identifier; the tunnel provider's identifier is derived from it.
constexpr const char* kBundleIdentifier = "net.corvane.client";

void report(Error* out, Error error) {
  if (out != nullptr) *out = std::move(error);
}

}  // namespace

KeychainStore::KeychainStore(platform::SecItemBackend& backend, platform::Log log,
                             Options options)
    : backend_(backend),
      errors_(std::move(log)),
      options_(std::move(options)),
      itemClass_(options_.itemClass),
      service_(options_.service.value_or(defaultService())) {}

KeychainStore::KeychainStore(platform::SecItemBackend& backend, platform::Log log,
                             std::optional<std::string> service,
                             std::optional<std::string> accessGroup)
    : KeychainStore(backend, std::move(log), [&] {
        Options options;
        options.service = std::move(service);
        options.accessGroup = std::move(accessGroup);
        return options;
      }()) {}

KeychainStore& KeychainStore::shared(platform::SecItemBackend& backend, platform::Log log) {
  static KeychainStore store(backend, std::move(log), std::string(kApplicationService));
  return store;
}

const std::string& KeychainStore::defaultService() {
  static const std::string service = kBundleIdentifier;
  return service;
}

SecItemDictionary KeychainStore::query() const {
  SecItemDictionary q;
  q.itemClass = itemClass_;
  // "any" finds the item whether or not it was stored as synchronising.
  q.synchronizable = platform::SecSynchronizable::any;
  q.service = service_;
  q.accessGroup = options_.accessGroup;
  q.operationPrompt = options_.authenticationPrompt;
  q.authenticationUIFail = !options_.useAuthenticationUI;
  return q;
}

std::optional<SecData> KeychainStore::dataForKey(std::optional<std::string_view> key,
                                                 Error* error) const {
  if (!key) {
    report(error, errors_.argument(keychainerror::kNilKey));
    return std::nullopt;
  }
  SecItemDictionary q = query();
  q.matchLimit = platform::SecMatchLimit::one;
  q.returnData = true;
  q.account = std::string(*key);
  platform::SecCopyResult result = backend_.copyMatching(q);
  if (result.status == secstatus::kItemNotFound) {
    return std::nullopt;
  }
  if (result.status != secstatus::kSuccess) {
    report(error, errors_.security(result.status));
    return std::nullopt;
  }
  if (!result.data) {
    report(error, errors_.unexpected());
    return std::nullopt;
  }
  return std::move(result.data);
}

std::optional<std::string> KeychainStore::stringForKey(std::optional<std::string_view> key,
                                                       Error* error) const {
  std::optional<SecData> data = dataForKey(key, error);
  if (!data) {
    return std::nullopt;
  }
  std::string text(data->begin(), data->end());
  if (!platform::isValidUtf8(text)) {
    report(error, errors_.conversion(keychainerror::kDataToString));
    return std::nullopt;
  }
  return text;
}

Result<void> KeychainStore::setString(std::optional<std::string_view> value,
                                      std::optional<std::string_view> key) const {
  if (!value) {
    return removeItemForKey(key);
  }
  if (!platform::isValidUtf8(*value)) {
    return errors_.conversion(keychainerror::kStringToData);
  }
  return setData(SecData(value->begin(), value->end()), key);
}

Result<SecItemDictionary> KeychainStore::itemAttributes(SecItemDictionary base,
                                                        const SecData& value,
                                                        const ItemAttributes& extras) const {
  base.valueData = value;
  if (options_.authenticationPolicy != 0) {
    std::optional<Error> platformError;
    auto control = backend_.createAccessControl(options_.accessibility,
                                                options_.authenticationPolicy, platformError);
    if (!control) {
      if (!platformError) {
        return errors_.unexpected();
      }
      errors_.logPlain(*platformError);
      return *platformError;
    }
    base.accessControl = *control;
  } else {
    base.accessible = options_.accessibility;
  }
  base.synchronizable = options_.synchronizable ? platform::SecSynchronizable::yes
                                                : platform::SecSynchronizable::no;
  base.generic = extras.generic;
  base.label = extras.label;
  base.comment = extras.comment;
  return base;
}

Result<void> KeychainStore::setData(const std::optional<SecData>& value,
                                    std::optional<std::string_view> key,
                                    const ItemAttributes& attributes) const {
  if (!key) {
    return errors_.argument(keychainerror::kNilKey);
  }
  if (!value) {
    return removeItemForKey(key);
  }

  SecItemDictionary match = query();
  match.account = std::string(*key);

  // Ask whether the item exists without ever prompting: an item that would need the user
  // answers "interaction not allowed", which still means it exists.
  SecItemDictionary exists = match;
  exists.authenticationUIFail = true;
  const SecStatus found = backend_.copyMatching(exists).status;

  if (found == secstatus::kItemNotFound) {
    auto item = itemAttributes(match, *value, attributes);
    if (!item) {
      return item.error();
    }
    const SecStatus added = backend_.add(*item);
    if (added != secstatus::kSuccess) {
      return errors_.security(added);
    }
    return Result<void>::success();
  }
  if (found == secstatus::kSuccess || found == secstatus::kInteractionNotAllowed) {
    auto changes = itemAttributes(SecItemDictionary{}, *value, attributes);
    if (!changes) {
      return changes.error();
    }
    const SecStatus updated = backend_.update(match, *changes);
    if (updated != secstatus::kSuccess) {
      return errors_.security(updated);
    }
    return Result<void>::success();
  }
  return errors_.security(found);
}

Result<void> KeychainStore::removeItemForKey(std::optional<std::string_view> key) const {
  if (!key) {
    return errors_.argument(keychainerror::kNilKey);
  }
  SecItemDictionary q = query();
  q.account = std::string(*key);
  const SecStatus status = backend_.deleteItems(q);
  if (status != secstatus::kSuccess && status != secstatus::kItemNotFound) {
    return errors_.security(status);
  }
  return Result<void>::success();
}

}  // namespace corvane::securestore
