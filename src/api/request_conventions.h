#pragma once
// What every API POST shares: how its URL is made from the stored domain, and the standard
// answer rule that turns a finished data task into the body to decode or an error.
#include <string>
#include <string_view>

#include "platform/core/result.h"
#include "platform/url/url_response.h"

namespace corvane::api {

// Every API path starts with this prefix.
inline constexpr std::string_view kApiPrefix = "/app-api-v1/";

// The build's API scheme ("http" by default) + "://" + domain + path, when that forms a valid
// URL with a host; otherwise an EndpointError (invalidUrl) that quotes the URL.
Result<std::string> apiPostUrl(std::string_view domain, std::string_view path);

// The standard answer rule:
//   transport error               → that error, unchanged;
//   status 200-299, no body       → "NoDataError" 0;
//   status 200-299 with a body    → the body, for the operation to decode;
//   any other status (0: none)    → "HTTPError" with the status.
Result<std::string> standardAnswer(Result<platform::UrlResponse> answer);

}  // namespace corvane::api
