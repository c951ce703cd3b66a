#include "backend/request_target.h"

#include <boost/url/parse.hpp>

namespace corvane::backend {

bool parseRequestTarget(std::string_view target, HttpRequest& request) {
  const auto url = boost::urls::parse_origin_form(target);
  if (!url) return false;
  request.path = url->path();
  request.query.clear();
  for (const auto& param : url->params()) request.query.emplace(std::string(param.key), std::string(param.value));
  return true;
}

}  // namespace corvane::backend
