#include "securestore/keychain_error.h"

namespace corvane::securestore {

Error KeychainErrors::make(std::int64_t code, std::string_view description,
                           bool fromStatus) const {
  Error error(kKeychainErrorDomain, code, std::string(description));
  if (fromStatus) {
    log_.error("OSStatus error: [" + std::to_string(code) + "] " + error.description);
  } else {
    logPlain(error);
  }
  return error;
}

void KeychainErrors::logPlain(const Error& error) const {
  log_.error("error: [" + std::to_string(error.code) + "] " + error.description);
}

Error KeychainErrors::argument(std::string_view message) const {
  return make(keychainerror::kArgumentCode, message, false);
}

Error KeychainErrors::conversion(std::string_view message) const {
  return make(keychainerror::kConversionCode, message, false);
}

Error KeychainErrors::security(platform::SecStatus status) const {
  return make(status, keychainerror::kSecurityError, true);
}

Error KeychainErrors::unexpected(std::string_view message) const {
  return make(keychainerror::kUnexpectedCode, message, false);
}

}  // namespace corvane::securestore
