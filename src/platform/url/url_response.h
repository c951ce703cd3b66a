#pragma once
// What a finished data task reports when the exchange itself worked: the HTTP status and the
// body. A transport failure (no connection, TLS refused, time-out) is an Error instead.
#include <optional>
#include <string>

namespace corvane::platform {

struct UrlResponse {
  // The final HTTP status: after the redirects a GET followed; a POST reports a 302 as 302.
  long status = 0;
  // A zero-length body is reported as no body: the callers treat "no data" and "empty data"
  // alike, and this keeps that decision in one place.
  std::optional<std::string> body;
};

}  // namespace corvane::platform
