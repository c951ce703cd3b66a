#pragma once
// The tunnel service as a client sees it: saved managers, the one tunnel slot (start by a
// manager or by a profile's content, stop, status) and the event stream of status changes
// and traffic. The socket client talks to corvane-tunneld; tests use a fake in virtual time.
// Every completion and observer runs on the main loop.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/core/result.h"
#include "platform/vpn/manager_settings.h"
#include "platform/vpn/traffic_sample.h"
#include "platform/vpn/tunnel_state.h"

namespace corvane::platform {

// A tunnel started from a profile: the engine and the configuration text itself (the
// service never reads a user's file).
struct ProfileStart {
  std::string engine;
  std::string content;
  std::string name;
};

class TunnelDaemon {
 public:
  using Done = std::function<void(Result<void>)>;
  using ManagersDone = std::function<void(Result<std::vector<ManagerSettings>>)>;
  using ManagerDone = std::function<void(Result<ManagerSettings>)>;
  using StateObserver = std::function<void(const TunnelState&)>;
  using TrafficObserver = std::function<void(const TrafficSample&)>;
  using ObserverId = std::uint64_t;

  virtual ~TunnelDaemon() = default;

  virtual void listManagers(ManagersDone done) = 0;
  // Saves `manager` (no id: a new one) and answers it with its id.
  virtual void saveManager(ManagerSettings manager, ManagerDone done) = 0;
  // Accepted means the tunnel is on its way; the state then moves 2 -> 3, or to 1 with
  // lastError.
  virtual void startManager(std::string managerId, Done done) = 0;
  virtual void startProfile(ProfileStart profile, Done done) = 0;
  virtual void stop(Done done) = 0;

  // Asks for the current state now (observers hear it when it changed).
  virtual void refreshState(Done done) = 0;
  // The last state reported (invalid before the service has answered).
  virtual const TunnelState& state() const = 0;
  // Called on each state change and each traffic report until removed.
  virtual ObserverId observe(StateObserver onState, TrafficObserver onTraffic) = 0;
  virtual void removeObserver(ObserverId id) = 0;
};

}  // namespace corvane::platform
