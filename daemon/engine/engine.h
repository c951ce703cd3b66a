#pragma once
// One running tunnel engine (WireGuard, OpenVPN, Shadowsocks, V2ray), made by its
// EngineFactory from a configuration it has already checked.
//
// Every call happens on the daemon's loop thread, and so does every callback the engine makes.
// An engine sets up its own data path (interface, addresses, routes, transparent-proxy table)
// and takes it down again; the daemon adds DNS, the leak rules and the kill switch around it
// from network().
#include <functional>
#include <optional>

#include "daemon/engine/engine_error.h"
#include "daemon/engine/engine_state.h"
#include "daemon/engine/traffic_counters.h"
#include "daemon/engine/tunnel_network.h"

namespace corvane::daemon::engine {

class Engine {
 public:
  // Called on every change of state(). With `exited`, `error` says why, unless the daemon
  // asked for the stop (after stop() the engine calls nothing any more). The engine may still
  // be on the stack when it calls: the daemon never destroys it from inside the callback.
  using StateCallback = std::function<void(EngineState state, std::optional<EngineError> error)>;
  using StopCallback = std::function<void()>;

  // Destroying a running engine stops it synchronously and leaves nothing behind.
  virtual ~Engine() = default;

  // serverEndpoints, fwmark and uid are known from prepare on, so the kill switch can open
  // the way to the server before start. dnsServers, interfaceName and tunnelAddress may only
  // be filled in by the time the engine first reports `up` (OpenVPN learns them on connect);
  // the daemon reads network() again then.
  virtual const TunnelNetwork& network() const = 0;

  // Runs the program and builds the data path. A failure found before anything runs (program
  // missing, interface cannot be made) is returned and nothing is left behind; later ones
  // arrive as `exited` with an error. The state is `starting` after a successful return.
  virtual std::optional<EngineError> start(StateCallback onState) = 0;

  virtual EngineState state() const = 0;

  // Bytes through the tunnel so far. Cheap enough to call once a second.
  virtual TrafficCounters counters() = 0;

  // Stops the program and removes everything start() made. Bounded in time (a program that
  // ignores SIGTERM is killed); `done` runs on the loop, possibly before stop() returns.
  virtual void stop(StopCallback done) = 0;
};

}  // namespace corvane::daemon::engine
