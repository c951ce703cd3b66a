#pragma once
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "backend/deflated_text.h"

namespace corvane::backend {

struct HttpResponse {
  int status = 200;
  std::string contentType = "application/json";
  std::string body;
  // Further headers, e.g. {"Retry-After", "60"}.
  std::vector<std::pair<std::string, std::string>> headers;
  // When set, `body` holds this text's plain form at byte `precompressedAt`, and a gzip
  // answer splices in the deflated form instead of compressing those bytes again.
  std::shared_ptr<const DeflatedText> precompressed;
  std::size_t precompressedAt = 0;
};

}  // namespace corvane::backend
