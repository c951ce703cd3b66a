#pragma once
#include <string>
#include <utility>
#include <vector>

namespace corvane::backend {

struct HttpResponse {
  int status = 200;
  std::string contentType = "application/json";
  std::string body;
  // Further headers, e.g. {"Retry-After", "60"}.
  std::vector<std::pair<std::string, std::string>> headers;
};

}  // namespace corvane::backend
