#pragma once
#include <optional>
#include <string_view>

#include "backend/http_request.h"

namespace corvane::backend {

// Fills `request.path` and `request.query` from an origin-form target ("/ip?format=json").
// False when the target is not one (absolute URLs, "*", bad percent-encoding).
bool parseRequestTarget(std::string_view target, HttpRequest& request);

}  // namespace corvane::backend
