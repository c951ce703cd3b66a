#pragma once
// The error of a refused request, or the last error of the slot.
#include <string>

#include "platform/vpn/tunneld/error_code.h"

namespace corvane::platform::tunneld {

struct ErrorInfo {
  ErrorCode code = ErrorCode::internal;
  std::string message;    // quotes the offending input
  bool blocking = false;  // traffic is still blocked by the kill switch

  friend bool operator==(const ErrorInfo&, const ErrorInfo&) = default;
};

}  // namespace corvane::platform::tunneld
