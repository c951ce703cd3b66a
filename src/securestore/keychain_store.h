#pragma once
// Small secrets as keychain items, addressed by a service name and a key (the item's
// account). The application keeps one store for the service "Corvane" with one key in it,
// "UUID", the device identifier.
//
// The store holds only its configuration; every call goes to the backend, synchronously.
// Failures come back as an absent value or a failed Result, with the error also logged
// (keychain_error.h); nothing throws and nothing is retried. A read that fails looks like a
// missing item to callers that pass no error pointer.
//
// Text is stored as its UTF-8 bytes. A std::string can hold any bytes, so "cannot convert
// string to data" means the text is not valid UTF-8: such a value is refused rather than
// stored as bytes that no reader could decode.
//
// A missing key (std::nullopt) is an argument error for every operation, reads and removal
// included: without an account the query would match, return or delete whichever items of
// the service come first.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/core/result.h"
#include "platform/log/log.h"
#include "platform/secitem/sec_item_backend.h"
#include "securestore/keychain_error.h"

namespace corvane::securestore {

using Accessibility = platform::SecAccessible;
using AuthenticationPolicy = platform::SecAccessControlFlags;

class KeychainStore {
 public:
  // The application's service.
  static constexpr std::string_view kApplicationService = "Corvane";

  struct Options {
    platform::SecItemClass itemClass = platform::SecItemClass::genericPassword;
    // Absent: defaultService().
    std::optional<std::string> service;
    std::optional<std::string> accessGroup;
    Accessibility accessibility = Accessibility::afterFirstUnlock;
    bool synchronizable = false;
    bool useAuthenticationUI = true;
    AuthenticationPolicy authenticationPolicy = 0;
    std::optional<std::string> authenticationPrompt;
  };

  // Optional attributes of a written item.
  struct ItemAttributes {
    std::optional<platform::SecData> generic;
    std::optional<std::string> label;
    std::optional<std::string> comment;
  };

  KeychainStore(platform::SecItemBackend& backend, platform::Log log, Options options);
  KeychainStore(platform::SecItemBackend& backend, platform::Log log,
                std::optional<std::string> service = std::nullopt,
                std::optional<std::string> accessGroup = std::nullopt);

  // The application's store (service "Corvane", no access group), made on the first call
  // under the language's one-time initialisation guard. Later calls return the same store
  // and ignore their arguments, so `backend` must live for the rest of the process.
  // Code that can take the store as a constructor argument should.
  static KeychainStore& shared(platform::SecItemBackend& backend, platform::Log log);

  // The service used when none is given: the application's bundle identifier.
  static const std::string& defaultService();

  platform::SecItemClass itemClass() const { return itemClass_; }
  const std::string& service() const { return service_; }
  const std::optional<std::string>& accessGroup() const { return options_.accessGroup; }
  Accessibility accessibility() const { return options_.accessibility; }
  bool synchronizable() const { return options_.synchronizable; }
  bool useAuthenticationUI() const { return options_.useAuthenticationUI; }
  AuthenticationPolicy authenticationPolicy() const { return options_.authenticationPolicy; }
  const std::optional<std::string>& authenticationPrompt() const {
    return options_.authenticationPrompt;
  }

  // The text under `key`; absent when there is none or it cannot be read, with the reason
  // in `*error` when given (left untouched when the item simply does not exist).
  std::optional<std::string> stringForKey(std::optional<std::string_view> key,
                                          Error* error = nullptr) const;
  // Stores `value` under `key`; no value removes the item.
  Result<void> setString(std::optional<std::string_view> value,
                         std::optional<std::string_view> key) const;

  std::optional<platform::SecData> dataForKey(std::optional<std::string_view> key,
                                              Error* error = nullptr) const;
  // Adds the item or, when it exists, replaces its value and attributes.
  Result<void> setData(const std::optional<platform::SecData>& value,
                       std::optional<std::string_view> key,
                       const ItemAttributes& attributes = {}) const;
  // Removing an item that does not exist succeeds.
  Result<void> removeItemForKey(std::optional<std::string_view> key) const;

  // The query every operation starts from: class, synchronizable any, service, access
  // group, prompt and "authentication UI must fail" when configured.
  platform::SecItemDictionary query() const;

 private:
  // The stored attributes of a write (value, accessibility or access control,
  // synchronizable, extras) on top of `base`.
  Result<platform::SecItemDictionary> itemAttributes(platform::SecItemDictionary base,
                                                     const platform::SecData& value,
                                                     const ItemAttributes& extras) const;

  platform::SecItemBackend& backend_;
  KeychainErrors errors_;
  Options options_;
  platform::SecItemClass itemClass_;
  std::string service_;
};

}  // namespace corvane::securestore
