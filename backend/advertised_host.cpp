#include "backend/advertised_host.h"

namespace corvane::backend {

std::string advertisedHost(const std::string& bind) {
  if (bind.empty() || bind == "0.0.0.0") return "127.0.0.1";
  if (bind == "::") return "[::1]";
  if (bind.find(':') != std::string::npos && bind.front() != '[') return "[" + bind + "]";
  return bind;
}

}  // namespace corvane::backend
