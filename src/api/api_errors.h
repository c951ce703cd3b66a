#pragma once
// The client's own error values. Domains and codes are what callers and screens match on;
// "verficationError" is spelled so on purpose, as the rest of the system knows it.
#include <cstdint>
#include <string>

#include "platform/core/error.h"

namespace corvane::api {

inline constexpr const char* kHttpErrorDomain = "HTTPError";
inline constexpr const char* kNoDataErrorDomain = "NoDataError";
inline constexpr const char* kVerificationErrorDomain = "verficationError";
inline constexpr const char* kWgConfigErrorDomain = "wgconfigerror";
// A request that could not be addressed: no API domain is stored yet, or the stored domain
// does not make a valid URL. Reported instead of leaving the completion uncalled.
inline constexpr const char* kEndpointErrorDomain = "EndpointError";
// A body that is not JSON where untyped JSON is expected (link table, announcements).
inline constexpr const char* kJsonErrorDomain = "JSONError";

enum class EndpointErrorCode : std::int64_t { noDomain = 1, invalidUrl = 2 };

// The description the platform gives an error with no message of its own, e.g.
// "The operation couldn’t be completed. (HTTPError error 302.)".
std::string plainDescription(const std::string& domain, std::int64_t code);

inline Error makeError(const char* domain, std::int64_t code) {
  return Error(domain, code, plainDescription(domain, code));
}
inline Error httpError(std::int64_t status) { return makeError(kHttpErrorDomain, status); }
inline Error noDataError() { return makeError(kNoDataErrorDomain, 0); }
inline Error verificationError(std::int64_t code) { return makeError(kVerificationErrorDomain, code); }

}  // namespace corvane::api
