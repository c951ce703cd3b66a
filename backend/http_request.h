#pragma once
#include <map>
#include <string>

namespace corvane::backend {

// One request as the routes see it: the HTTP layer has already applied every size and time
// limit, so a handler never meets a body larger than the configured maximum.
struct HttpRequest {
  std::string method;  // "GET", "POST", ...
  std::string path;    // percent-decoded, without the query
  std::map<std::string, std::string> query;
  std::string body;
  std::string remoteAddress;
  std::string acceptEncoding;

  // The query parameter `key`, or empty text.
  std::string param(const std::string& key) const {
    const auto it = query.find(key);
    return it == query.end() ? std::string() : it->second;
  }
};

}  // namespace corvane::backend
