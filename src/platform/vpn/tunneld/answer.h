#pragma once
// One answer line. ok answers carry the payload of their op; the refusal of a caller that
// is not allowed carries no id.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/vpn/tunneld/error_info.h"
#include "platform/vpn/tunneld/manager.h"
#include "platform/vpn/tunneld/tunnel_status.h"

namespace corvane::platform::tunneld {

struct Answer {
  std::optional<std::int64_t> id;
  std::optional<ErrorInfo> error;  // set: "ok":false
  std::optional<std::int64_t> version;
  std::optional<std::string> daemonVersion;
  std::optional<std::vector<Manager>> managers;
  std::optional<Manager> manager;
  std::optional<TunnelStatus> status;  // the status op: its fields sit at the top level

  bool ok() const { return !error.has_value(); }

  static Answer success(std::int64_t requestId) {
    Answer a;
    a.id = requestId;
    return a;
  }
  static Answer failure(std::optional<std::int64_t> requestId, ErrorInfo info) {
    Answer a;
    a.id = requestId;
    a.error = std::move(info);
    return a;
  }

  friend bool operator==(const Answer&, const Answer&) = default;
};

}  // namespace corvane::platform::tunneld
