#pragma once
// The two outside addresses the tunnel screens use, compiled in (CMake cache variables of
// the same names) and overridden by environment variables of the same names for development
// and tests:
//   CORVANE_IP_ECHO_URL  the public IP echo, asked with "?format=json"
//   CORVANE_PROBE_URL    the captive-portal probe page: plain HTTP, only status 200 counts
#include <string>

#include "corvane/build_config.h"
#include "platform/paths/paths.h"

namespace corvane::tunnel {

inline std::string ipEchoUrl() { return platform::environmentOr("CORVANE_IP_ECHO_URL", build::kDefaultIpEchoUrl); }
inline std::string probeUrl() { return platform::environmentOr("CORVANE_PROBE_URL", build::kDefaultProbeUrl); }

}  // namespace corvane::tunnel
