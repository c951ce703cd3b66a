#pragma once
// The client of corvane-tunneld over its Unix socket. Two connections: one for requests
// (made when the first request is sent, again after a loss) and one subscribed to the event
// stream, which keeps state() current. When the service cannot be reached the state is
// "invalid" and the subscription is tried again after 1 s, doubling up to 30 s.
// Lives on the main loop: call it there; completions and observers run there.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "platform/log/log.h"
#include "platform/mainloop/main_loop.h"
#include "platform/vpn/daemon_observers.h"
#include "platform/vpn/linux/line_socket.h"
#include "platform/vpn/tunnel_daemon.h"
#include "platform/vpn/tunneld/contract.h"
#include "platform/vpn/tunneld/line_codec.h"

namespace corvane::platform {

class SocketTunnelDaemon final : public TunnelDaemon {
 public:
  // CORVANE_TUNNELD_SOCKET, or the system socket.
  static std::string socketPathFromEnvironment();
  // Whether a service accepts connections at `socketPath` now (one connect, closed at once;
  // it never blocks on a service that does not read).
  static bool answers(const std::string& socketPath);

  SocketTunnelDaemon(MainLoop& loop, Log log, std::string socketPath);
  ~SocketTunnelDaemon() override;

  // Opens the subscription (and keeps reopening it). Until called, state() is only refreshed
  // by refreshState.
  void subscribe();

  void listManagers(ManagersDone done) override;
  void saveManager(ManagerSettings manager, ManagerDone done) override;
  void startManager(std::string managerId, Done done) override;
  void startProfile(ProfileStart profile, Done done) override;
  void stop(Done done) override;
  void refreshState(Done done) override;
  const TunnelState& state() const override { return state_; }
  ObserverId observe(StateObserver onState, TrafficObserver onTraffic) override {
    return observers_.add(std::move(onState), std::move(onTraffic));
  }
  void removeObserver(ObserverId id) override { observers_.remove(id); }

  // The record conversions, one place each way.
  static TunnelState stateFrom(const tunneld::TunnelStatus& status);
  static ManagerSettings settingsFrom(const tunneld::Manager& manager);
  static tunneld::Manager managerFrom(const ManagerSettings& settings);

 private:
  using AnswerHandler = std::function<void(Result<tunneld::Answer>)>;
  void send(tunneld::Request request, AnswerHandler handler);
  void onRequestLine(std::string_view line);
  void onRequestsClosed(Error error);
  void onEventLine(std::string_view line);
  void onEventsClosed(Error error);
  void retrySubscription();
  void setState(TunnelState state);

  MainLoop& loop_;
  Log log_;
  std::string socketPath_;
  tunneld::LineCodec codec_;
  std::unique_ptr<LineSocket> requests_;
  std::unique_ptr<LineSocket> events_;
  std::map<std::int64_t, AnswerHandler> pending_;
  std::int64_t nextId_ = 1;
  bool subscribing_ = false;
  Duration retryDelay_ = seconds(1);
  TimerId retryTimer_ = 0;
  TunnelState state_;
  DaemonObservers observers_;
};

}  // namespace corvane::platform
