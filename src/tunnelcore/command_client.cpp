#include "tunnelcore/command_client.h"

namespace corvane::tunnelcore {

void CommandClient::connect() {
  if (observation_.active()) return;
  observation_ = platform::DaemonObservation(
      daemon_, daemon_.observe(
                   [this](const platform::TunnelState& state) {
                     // Speeds of a tunnel that is gone are not speeds any more.
                     if (state.status != platform::VpnStatus::connected) set(std::nullopt);
                   },
                   [this](const platform::TrafficSample& sample) {
                     set(TrafficStatus{daemon_.state().status == platform::VpnStatus::connected, sample.uplink,
                                       sample.downlink});
                   }));
}

void CommandClient::disconnect() {
  observation_.reset();
  trafficStatus_.reset();
}

void CommandClient::set(std::optional<TrafficStatus> status) {
  if (status == trafficStatus_) return;
  trafficStatus_ = status;
  if (onChange_) onChange_();
}

}  // namespace corvane::tunnelcore
