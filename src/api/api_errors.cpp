#include "api/api_errors.h"

namespace corvane::api {

std::string plainDescription(const std::string& domain, std::int64_t code) {
  return "The operation couldn\u2019t be completed. (" + domain + " error " + std::to_string(code) + ".)";
}

}  // namespace corvane::api
