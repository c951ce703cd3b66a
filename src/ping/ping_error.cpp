#include "ping/ping_error.h"

#include <array>

namespace corvane::ping {

namespace {

constexpr std::array<const char*, 19> kNames = {
    "invalidLength",       "checksumMismatch",      "invalidType",
    "invalidCode",         "identifierMismatch",    "invalidSequenceIndex",
    "socketOptionsSetError", "responseTimeout",     "unknownHostError",
    "addressLookupError",  "hostNotFound",          "addressMemoryError",
    "requestError",        "requestTimeout",        "checksumOutOfBounds",
    "unexpectedPayloadLength", "packageCreationFailed", "socketNil",
    "invalidHeaderOffset",
};

}  // namespace

const char* PingError::name() const { return kNames.at(static_cast<std::size_t>(kind_)); }

std::string PingError::description() const {
  const std::string base = name();
  const std::string first = std::to_string(first_);
  const std::string second = std::to_string(second_);
  switch (kind_) {
    case Case::invalidLength:
    case Case::invalidType:
    case Case::invalidCode:
      return base + "(received: " + first + ")";
    case Case::checksumMismatch:
      return base + "(received: " + first + ", calculated: " + second + ")";
    case Case::identifierMismatch:
    case Case::invalidSequenceIndex:
      return base + "(received: " + first + ", expected: " + second + ")";
    case Case::socketOptionsSetError:
      return base + "(err: " + first + ")";
    default:
      return base;
  }
}

Error PingError::toError() const {
  return Error("PingError", static_cast<std::int64_t>(kind_), description());
}

}  // namespace corvane::ping
