#pragma once
// Removes a TunnelDaemon observer when destroyed, so no callback outlives its owner.
#include <utility>

#include "platform/vpn/tunnel_daemon.h"

namespace corvane::platform {

class DaemonObservation {
 public:
  DaemonObservation() = default;
  DaemonObservation(TunnelDaemon& daemon, TunnelDaemon::ObserverId id) : daemon_(&daemon), id_(id) {}
  DaemonObservation(DaemonObservation&& other) noexcept { *this = std::move(other); }
  DaemonObservation& operator=(DaemonObservation&& other) noexcept {
    if (this != &other) {
      reset();
      daemon_ = std::exchange(other.daemon_, nullptr);
      id_ = other.id_;
    }
    return *this;
  }
  DaemonObservation(const DaemonObservation&) = delete;
  DaemonObservation& operator=(const DaemonObservation&) = delete;
  ~DaemonObservation() { reset(); }

  void reset() {
    if (daemon_ != nullptr) std::exchange(daemon_, nullptr)->removeObserver(id_);
  }
  bool active() const { return daemon_ != nullptr; }

 private:
  TunnelDaemon* daemon_ = nullptr;
  TunnelDaemon::ObserverId id_ = 0;
};

}  // namespace corvane::platform
