#pragma once
// The signed-in devices answer.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "api/records/datum.h"

namespace corvane::api {

struct DeviceResponse {
  std::optional<std::int64_t> StatusCode;    // "status_code"  NOLINT(readability-identifier-naming)
  std::optional<std::int64_t> responseCode;  // "response_code"
  std::optional<std::string> message;        // "message"
  std::optional<std::vector<Datum>> data;    // "data"

  friend bool operator==(const DeviceResponse&, const DeviceResponse&) = default;
};

}  // namespace corvane::api
