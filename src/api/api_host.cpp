#include "api/api_host.h"

#include <cstdlib>

#include "corvane/build_config.h"

namespace corvane::api {

std::string defaultApiHost() {
  if (const char* host = std::getenv("CORVANE_API_HOST"); host != nullptr && host[0] != '\0') {
    return host;
  }
  return build::kDefaultApiHost;
}

std::string defaultFallbackDomain() {
  if (const char* domain = std::getenv("CORVANE_FALLBACK_DOMAIN"); domain != nullptr && domain[0] != '\0') {
    return domain;
  }
  return build::kDefaultFallbackDomain;
}

}  // namespace corvane::api
