#include "daemon/engines/wireguard/wireguard_engine.h"

#include <fmt/format.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

#include "daemon/net/routing_ids.h"

namespace corvane::daemon::engines::wireguard {
namespace {

using engine::EngineError;
using engine::EngineState;
using namespace std::chrono_literals;

// wireguard-go makes its socket within milliseconds; five seconds means it never will.
constexpr auto kSocketWait = 5s;
constexpr auto kSocketPoll = 10ms;
// While connecting the handshake is looked for often, so "connected" shows promptly (one
// UAPI exchange costs well under a millisecond).
constexpr auto kHandshakePoll = 10ms;
// A handshake is retried every 5 s by the engine; after 45 s without one the server is taken
// as unreachable.
constexpr auto kHandshakeDeadline = 45s;
// Once up, the link is checked once a second, with the counters.
constexpr auto kLinkPoll = 1s;
// WireGuard drops a session 180 s after its last handshake (REJECT_AFTER_TIME); a peer that
// answered nothing for that long plus the retry window is gone.
constexpr std::int64_t kHandshakeStaleSeconds = 180 + 15;
constexpr auto kStopGrace = 2s;

}  // namespace

WireGuardEngine::WireGuardEngine(WireGuardConfig config, engine::EngineContext context, engine::TunnelNetwork network)
    : config_(std::move(config)),
      context_(std::move(context)),
      network_(std::move(network)),
      routing_(netlink_),
      uapi_(UapiClient::socketFor(context_.interfaceName)),
      program_(context_),
      serverLink_(context_.loop) {}

WireGuardEngine::~WireGuardEngine() {
  if (program_.started() || state_ != EngineState::exited) {
    stopping_ = true;
    tearDown();
  }
}

std::optional<EngineError> WireGuardEngine::start(StateCallback onState) {
  onState_ = std::move(onState);
  // The interface wireguard-go makes stays up when the link under it goes down; a lost
  // handshake would tell only minutes later.
  if (auto noWay = serverLink_.start(network_.serverEndpoints, network_.fwmark.value_or(0), [this](std::string why) {
        if (!stopping_) fail(std::move(why));
      })) {
    return EngineError::failed(*noWay);
  }
  // A link of this name left by a crash would make wireguard-go fail to create its own.
  (void)netlink_.deleteLink(context_.interfaceName);
  std::error_code ignored;
  std::filesystem::remove(uapi_.socketFor(context_.interfaceName), ignored);

  auto started = program_.start("wireguard-go", {"-f", context_.interfaceName},
                                {{"WG_PROCESS_FOREGROUND", "1"}, {"LOG_LEVEL", "error"}},
                                [this](const platform::ProcessExit& exit) { onProgramExit(exit); });
  if (started) {
    serverLink_.stop();
    return started;
  }
  state_ = EngineState::starting;
  startedAt_ = context_.loop.now();
  waitForSocket();
  return std::nullopt;
}

void WireGuardEngine::waitForSocket() {
  if (stopping_ || !program_.checkRunning()) return;
  if (uapi_.socketExists()) return configure();
  if (context_.loop.now() - startedAt_ > kSocketWait) {
    return fail(fmt::format("wireguard-go made no configuration socket for {} within 5 s", context_.interfaceName));
  }
  timer_ = context_.loop.postAfter(kSocketPoll, [this] {
    timer_ = 0;
    waitForSocket();
  });
}

std::string WireGuardEngine::uapiBody() const {
  std::string body = "private_key=" + config_.privateKey.hex() + "\n";
  body += fmt::format("fwmark={}\nreplace_peers=true\n", net::kTunnelMark);
  for (std::size_t i = 0; i < config_.peers.size(); ++i) {
    const auto& peer = config_.peers[i];
    body += "public_key=" + peer.publicKey.hex() + "\n";
    if (peer.presharedKey) body += "preshared_key=" + peer.presharedKey->hex() + "\n";
    const auto& endpoint = network_.serverEndpoints.at(i);
    body += endpoint.address.find(':') != std::string::npos
                ? fmt::format("endpoint=[{}]:{}\n", endpoint.address, endpoint.port)
                : fmt::format("endpoint={}:{}\n", endpoint.address, endpoint.port);
    body += "replace_allowed_ips=true\n";
    for (const auto& prefix : peer.allowedIps) body += "allowed_ip=" + prefix.text() + "\n";
    if (peer.persistentKeepalive) body += fmt::format("persistent_keepalive_interval={}\n", *peer.persistentKeepalive);
  }
  return body;
}

void WireGuardEngine::configure() {
  std::string body = uapiBody();
  auto set = uapi_.set(body);
  explicit_bzero(body.data(), body.size());
  if (!set) return fail(fmt::format("configuring {}: {}", context_.interfaceName, set.error().description));
  if (auto routed = routing_.apply(config_, context_.interfaceName); !routed) {
    return fail(fmt::format("routing {}: {}", context_.interfaceName, routed.error().description));
  }
  watchLink();
  startedAt_ = context_.loop.now();
  pollHandshake();
}

void WireGuardEngine::watchLink() {
  auto watch = net::LinkWatch::open();
  if (!watch) return;  // the program's exit still tells
  linkWatch_.emplace(std::move(*watch));
  linkWatchId_ = context_.loop.watchReadable(linkWatch_->fd(), [this] {
    if (stopping_ || !linkWatch_ || !linkWatch_->drainLost(context_.interfaceName)) return;
    fail(fmt::format("{} went down (wireguard-go ended or the link was taken down)", context_.interfaceName));
  });
}

void WireGuardEngine::pollHandshake() {
  if (stopping_ || !program_.started()) return;
  auto device = uapi_.get();
  if (device && device->lastHandshake > 0) lastHandshake_ = device->lastHandshake;
  const bool fresh = lastHandshake_ > 0 && std::time(nullptr) - lastHandshake_ < kHandshakeStaleSeconds;
  if (state_ == EngineState::starting) {
    if (fresh) {
      report(EngineState::up);
    } else if (context_.loop.now() - startedAt_ > kHandshakeDeadline) {
      return fail(fmt::format("no handshake with {}:{} within 45 s", network_.serverEndpoints.front().address,
                              network_.serverEndpoints.front().port));
    }
  } else if (state_ == EngineState::up && !fresh) {
    report(EngineState::down);
  } else if (state_ == EngineState::down && fresh) {
    report(EngineState::up);
  }
  auto interval = state_ == EngineState::starting ? kHandshakePoll : kLinkPoll;
  timer_ = context_.loop.postAfter(interval, [this] {
    timer_ = 0;
    pollHandshake();
  });
}

engine::TrafficCounters WireGuardEngine::counters() {
  if (!program_.started()) return {};
  auto device = uapi_.get();
  if (!device) return {};
  return {device->rxBytes, device->txBytes};
}

void WireGuardEngine::onProgramExit(const platform::ProcessExit& exit) {
  if (stopping_) return;
  fail(fmt::format("wireguard-go exited ({})", exit.describe()));
}

void WireGuardEngine::fail(std::string message) {
  stopping_ = true;
  cancelTimer();
  // The loss is reported before the clean-up, which waits on the kernel (the dead program's
  // interface goes under the routing lock); the daemon usually stops the engine from inside
  // the callback, and tearing down twice does nothing more.
  report(EngineState::exited, EngineError::failed(std::move(message)));
  tearDown();
}

void WireGuardEngine::report(EngineState state, std::optional<EngineError> error) {
  state_ = state;
  if (onState_) onState_(state, std::move(error));
}

void WireGuardEngine::cancelTimer() {
  if (timer_ != 0) context_.loop.cancel(timer_);
  timer_ = 0;
}

void WireGuardEngine::tearDown() {
  cancelTimer();
  serverLink_.stop();
  if (linkWatchId_ != 0) context_.loop.unwatch(linkWatchId_);
  linkWatchId_ = 0;
  linkWatch_.reset();
  program_.stop(kStopGrace);
  routing_.remove();
  // wireguard-go removes its interface when it ends; after a SIGKILL it cannot.
  (void)netlink_.deleteLink(context_.interfaceName);
  std::error_code ignored;
  std::filesystem::remove(uapi_.socketFor(context_.interfaceName), ignored);
  state_ = EngineState::exited;
}

void WireGuardEngine::stop(StopCallback done) {
  stopping_ = true;
  tearDown();
  if (done) done();
}

}  // namespace corvane::daemon::engines::wireguard
