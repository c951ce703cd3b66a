#pragma once
#include <string>

namespace corvane::backend {

// The host clients should put in URLs for a listener bound to `bind`: a wildcard address
// becomes its loopback counterpart, and an IPv6 address goes in brackets.
std::string advertisedHost(const std::string& bind);

}  // namespace corvane::backend
