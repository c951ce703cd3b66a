#pragma once
// An OpenVPN tunnel run by openvpn on a fresh tun interface. The checked profile plus the
// service's own directives go to a 0600 file in the run's 0700 folder; openvpn's management
// interface is a Unix socket in that folder, open to root only, from which the engine reads
// the link state (CONNECTED), the byte counts and the DNS servers the server pushes.
#include <optional>
#include <string>

#include "daemon/engine/engine.h"
#include "daemon/engine/engine_context.h"
#include "daemon/engines/engine_program.h"
#include "daemon/engines/openvpn/openvpn_config.h"
#include "daemon/engines/server_link_watch.h"
#include "platform/mainloop/main_loop.h"
#include "platform/process/process.h"

namespace corvane::daemon::engines::openvpn {

class OpenVpnEngine final : public engine::Engine {
 public:
  OpenVpnEngine(OpenVpnConfig config, engine::EngineContext context, engine::TunnelNetwork network);
  ~OpenVpnEngine() override;

  const engine::TunnelNetwork& network() const override { return network_; }
  std::optional<engine::EngineError> start(StateCallback onState) override;
  engine::EngineState state() const override { return state_; }
  engine::TrafficCounters counters() override { return counters_; }
  void stop(StopCallback done) override;

 private:
  std::string fileText() const;
  // The manager's account, in a 0600 file of the run's folder that only openvpn reads.
  std::optional<engine::EngineError> writeAccount() const;
  std::filesystem::path accountPath() const { return context_.runtimeDir / "account"; }
  std::filesystem::path socketPath() const { return context_.runtimeDir / "management.sock"; }
  void waitForManagement();
  void readManagement();
  void handleLine(const std::string& line);
  void send(std::string_view command);
  void checkDeadline();
  void onProgramExit(const platform::ProcessExit& exit);
  void fail(std::string message);
  void report(engine::EngineState state, std::optional<engine::EngineError> error = std::nullopt);
  void tearDown();

  OpenVpnConfig config_;
  engine::EngineContext context_;
  engine::TunnelNetwork network_;
  EngineProgram program_;
  ServerLinkWatch serverLink_;
  StateCallback onState_;
  engine::EngineState state_ = engine::EngineState::starting;
  engine::TrafficCounters counters_;
  int management_ = -1;
  std::string pending_;
  platform::TimerId timer_ = 0;
  platform::WatchId managementWatch_ = 0;
  platform::TimePoint startedAt_{};
  bool stopping_ = false;
};

}  // namespace corvane::daemon::engines::openvpn
