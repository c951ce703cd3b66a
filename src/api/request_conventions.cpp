#include "api/request_conventions.h"

#include <boost/url/parse.hpp>

#include <algorithm>

#include "api/api_errors.h"
#include "corvane/build_config.h"

namespace corvane::api {

Result<std::string> apiPostUrl(std::string_view domain, std::string_view path) {
  // Plain "http" unless the build chose otherwise (CORVANE_API_SCHEME): see README.
  std::string url = std::string(build::kApiScheme) + "://";
  url += domain;
  url += path;
  auto parsed = boost::urls::parse_uri(url);
  // An empty domain still parses ("http:///app-api-v1/login") but names no host at all.
  // Boost.URL 1.81 takes "http://host:port/x" apart as host "host", empty port and the path
  // "port/x"; a path after an authority must start with "/", so that shape is refused here.
  const auto wellFormed = [&] {
    const auto port = parsed->port();
    return !parsed->host().empty() && parsed->encoded_path().starts_with("/") &&
           std::all_of(port.begin(), port.end(), [](char c) { return c >= '0' && c <= '9'; });
  };
  if (!parsed || !wellFormed()) {
    return Error(kEndpointErrorDomain, static_cast<std::int64_t>(EndpointErrorCode::invalidUrl),
                 "the stored API domain does not form a valid URL: " + url);
  }
  return url;
}

Result<std::string> standardAnswer(Result<platform::UrlResponse> answer) {
  if (!answer) {
    return answer.error();
  }
  platform::UrlResponse& response = *answer;
  if (response.status >= 200 && response.status <= 299) {
    if (!response.body) {
      return noDataError();
    }
    return std::move(*response.body);
  }
  return httpError(response.status);
}

}  // namespace corvane::api
