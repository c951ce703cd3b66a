#pragma once
// The error values of a failed record decode. The domain is "DecodingError"; the description
// names the JSON path and the reason, for example
//   ip_bundle[3].is_free: expected a number, got a boolean
//   in_app_payment_page_data.iapp_ios_packages: required key is missing
//   <root>: not valid JSON: ...
#include <cstdint>

namespace corvane::api {

inline constexpr const char* kDecodingErrorDomain = "DecodingError";

enum class DecodingErrorCode : std::int64_t {
  dataCorrupted = 1,  // not JSON, too deep, too large, or the root is not an object
  keyNotFound = 2,    // a required key is missing
  valueNotFound = 3,  // null where a value is required
  typeMismatch = 4,   // a value of the wrong JSON type, or a number that does not fit the field
};

}  // namespace corvane::api
