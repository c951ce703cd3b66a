#pragma once
// The generic status answer of sign-up, both password-reset calls and the offline report.
// Success is StatusCode == 200; responseCode is carried only.
#include <cstdint>
#include <optional>
#include <string>

namespace corvane::api {

// The lower-case type name is the system's own.
struct responseReturn {                      // NOLINT(readability-identifier-naming)
  std::optional<std::int64_t> StatusCode;    // "status_code"  NOLINT(readability-identifier-naming)
  std::optional<std::int64_t> responseCode;  // "response_code"
  std::optional<std::string> message;        // "message"

  friend bool operator==(const responseReturn&, const responseReturn&) = default;
};

}  // namespace corvane::api
