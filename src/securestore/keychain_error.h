#pragma once
// The errors the keychain store makes. Each one is logged at the moment it is made, as
//   "error: [<code>] <description>"            argument, conversion and unexpected errors
//   "OSStatus error: [<code>] <description>"   security errors (a keychain status)
// so a failure leaves a trace even for callers that drop the error.
#include <string>
#include <string_view>

#include "platform/core/error.h"
#include "platform/log/log.h"
#include "platform/secitem/sec_status.h"

namespace corvane::securestore {

// Domain of every error the store returns.
inline constexpr const char* kKeychainErrorDomain = "net.corvane.client.keychain";

namespace keychainerror {
inline constexpr std::int64_t kArgumentCode = 1;
inline constexpr std::int64_t kConversionCode = -67594;
inline constexpr std::int64_t kUnexpectedCode = -99999;

inline constexpr std::string_view kNilKey = "the key must not to be nil";
inline constexpr std::string_view kDataToString = "failed to convert data to string";
inline constexpr std::string_view kStringToData = "failed to convert string to data";
inline constexpr std::string_view kSecurityError = "Security error has occurred.";
inline constexpr std::string_view kUnexpected = "Unexpected error has occurred.";
}  // namespace keychainerror

// Makes and logs the store's errors. Messages are shown as given: the store has no
// translation table, so an untranslated message stands unchanged.
class KeychainErrors {
 public:
  explicit KeychainErrors(platform::Log log) : log_(std::move(log)) {}

  Error argument(std::string_view message) const;
  Error conversion(std::string_view message) const;
  Error security(platform::SecStatus status) const;
  Error unexpected(std::string_view message = keychainerror::kUnexpected) const;
  // Logs an error that came from elsewhere (the backend) in the store's plain form.
  void logPlain(const Error& error) const;

 private:
  Error make(std::int64_t code, std::string_view description, bool fromStatus) const;
  platform::Log log_;
};

}  // namespace corvane::securestore
