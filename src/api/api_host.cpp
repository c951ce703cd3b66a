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

}  // namespace corvane::api
