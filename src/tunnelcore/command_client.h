#pragma once
// Follows the running tunnel's traffic while connected: trafficStatus is the last report of
// the tunnel service (one a second), and no value while no tunnel runs or before the first
// report. Lives on the main loop.
#include <functional>
#include <optional>

#include "platform/vpn/daemon_observation.h"
#include "platform/vpn/tunnel_daemon.h"
#include "tunnelcore/traffic_status.h"

namespace corvane::tunnelcore {

class CommandClient {
 public:
  // Only the status connection exists; the log lines a client may keep are capped.
  enum class ConnectionType { status };
  static constexpr int kLogMaxLines = 300;

  explicit CommandClient(platform::TunnelDaemon& daemon, ConnectionType type = ConnectionType::status,
                         int logMaxLines = kLogMaxLines)
      : daemon_(daemon), type_(type), logMaxLines_(logMaxLines) {}

  void connect();
  void disconnect();
  bool connected() const { return observation_.active(); }

  const std::optional<TrafficStatus>& trafficStatus() const { return trafficStatus_; }
  // Called after each change of trafficStatus while connected.
  void setOnChange(std::function<void()> onChange) { onChange_ = std::move(onChange); }

  ConnectionType connectionType() const { return type_; }
  int logMaxLines() const { return logMaxLines_; }

 private:
  void set(std::optional<TrafficStatus> status);

  platform::TunnelDaemon& daemon_;
  ConnectionType type_;
  int logMaxLines_;
  std::optional<TrafficStatus> trafficStatus_;
  std::function<void()> onChange_;
  platform::DaemonObservation observation_;
};

}  // namespace corvane::tunnelcore
