#pragma once
// The dashboard as one line of text or one JSON object: what `status`, `connect` and
// `disconnect` print.
#include <nlohmann/json.hpp>

#include <string>

#include "tunnel/dashboard_rows.h"

namespace corvane::cli {

struct TunnelReport {
  tunnel::DashboardRows rows;
  bool killSwitch = false;
  std::string lastError;

  // "Connected  WireGuard  10.77.0.2  up 1.5 KB/s  down 2.0 MB/s  Tokyo #01"
  std::string line() const;
  nlohmann::json json() const;
  friend bool operator==(const TunnelReport& a, const TunnelReport& b) { return a.line() == b.line(); }
};

}  // namespace corvane::cli
