#include "daemon/engines/wireguard/wireguard_engine.h"

#include <fmt/format.h>

#include <atomic>
#include <ctime>

#include "daemon/engines/wireguard/kernel_device.h"
#include "daemon/engines/wireguard/userspace_device.h"

namespace corvane::daemon::engines::wireguard {
namespace {

using engine::EngineError;
using engine::EngineState;
using namespace std::chrono_literals;

// While connecting the handshake is looked for often, so "connected" shows promptly (one
// exchange with the device costs well under a millisecond).
constexpr auto kHandshakePoll = 10ms;
// A handshake is retried every 5 s by the device; after 45 s without one the server is taken
// as unreachable.
constexpr auto kHandshakeDeadline = 45s;
// Once up, the link is checked once a second, with the counters.
constexpr auto kLinkPoll = 1s;
// WireGuard drops a session 180 s after its last handshake (REJECT_AFTER_TIME); a peer that
// answered nothing for that long plus the retry window is gone.
constexpr std::int64_t kHandshakeStaleSeconds = 180 + 15;

// A kernel without WireGuard stays without it for the daemon's life: the fallback is logged
// on the first start only, not on every reconnect.
std::atomic<bool> fallbackLogged{false};

}  // namespace

std::optional<DeviceChoice> deviceChoiceFrom(std::string_view text) {
  if (text.empty()) return DeviceChoice::automatic;
  if (text == "kernel") return DeviceChoice::kernel;
  if (text == "userspace") return DeviceChoice::userspace;
  return std::nullopt;
}

WireGuardEngine::WireGuardEngine(WireGuardConfig config, engine::EngineContext context, engine::TunnelNetwork network,
                                 DeviceChoice choice, platform::Log log)
    : config_(std::move(config)),
      context_(std::move(context)),
      network_(std::move(network)),
      choice_(choice),
      log_(std::move(log)),
      routing_(netlink_),
      serverLink_(context_.loop) {}

WireGuardEngine::~WireGuardEngine() {
  // After a stop or a failure everything is gone already; tearing down again could take the
  // policy rules of a tunnel that has replaced this one.
  if (state_ != EngineState::exited) {
    stopping_ = true;
    tearDown();
  }
}

std::optional<EngineError> WireGuardEngine::makeDevice() {
  if (choice_ != DeviceChoice::userspace) {
    auto kernel = KernelDevice::make(context_.loop, netlink_, context_.interfaceName);
    if (kernel) {
      device_ = std::move(*kernel);
      return std::nullopt;
    }
    if (choice_ == DeviceChoice::kernel) {
      return EngineError::failed(fmt::format("kernel WireGuard was asked for (CORVANE_WIREGUARD=kernel) but cannot be had: {}",
                                             kernel.error().description));
    }
    if (kernel.error().code != KernelDevice::kUnsupported) {
      return EngineError::failed(fmt::format("making {}: {}", context_.interfaceName, kernel.error().description));
    }
    if (!fallbackLogged.exchange(true)) {
      log_.info(fmt::format("WireGuard runs in wireguard-go: {}", kernel.error().description));
    }
  }
  device_ = std::make_unique<UserspaceDevice>(context_, netlink_);
  return std::nullopt;
}

std::optional<EngineError> WireGuardEngine::start(StateCallback onState) {
  onState_ = std::move(onState);
  // A WireGuard interface stays up when the link under it goes down; a lost handshake would
  // tell only minutes later.
  if (auto noWay = serverLink_.start(network_.serverEndpoints, network_.fwmark.value_or(0), [this](std::string why) {
        if (!stopping_) fail(std::move(why));
      })) {
    return EngineError::failed(*noWay);
  }
  // A link of this name left by a crash would keep a fresh one from being made.
  (void)netlink_.deleteLink(context_.interfaceName);

  auto made = makeDevice();
  if (!made) {
    made = device_->create([this] { configure(); },
                           [this](std::string why) {
                             if (!stopping_) fail(std::move(why));
                           });
  }
  if (made) {
    serverLink_.stop();
    if (device_) device_->destroy();
    device_.reset();
    return made;
  }
  log_.info(fmt::format("{} runs on {}", context_.interfaceName, device_->kind()));
  state_ = EngineState::starting;
  startedAt_ = context_.loop.now();
  return std::nullopt;
}

void WireGuardEngine::configure() {
  if (stopping_) return;
  DeviceSettings settings{config_, network_.serverEndpoints, network_.fwmark.value_or(0)};
  if (auto set = device_->configure(settings); !set) {
    return fail(fmt::format("configuring {}: {}", context_.interfaceName, set.error().description));
  }
  if (auto routed = routing_.apply(config_, context_.interfaceName); !routed) {
    return fail(fmt::format("routing {}: {}", context_.interfaceName, routed.error().description));
  }
  watchLink();
  startedAt_ = context_.loop.now();
  pollHandshake();
}

void WireGuardEngine::watchLink() {
  auto watch = net::LinkWatch::open();
  if (!watch) return;  // the handshake's loss still tells
  linkWatch_.emplace(std::move(*watch));
  linkWatchId_ = context_.loop.watchReadable(linkWatch_->fd(), [this] {
    if (stopping_ || !linkWatch_ || !linkWatch_->drainLost(context_.interfaceName)) return;
    fail(fmt::format("{} went down ({} ended or the link was taken down)", context_.interfaceName,
                     device_ ? device_->kind() : "WireGuard"));
  });
}

void WireGuardEngine::pollHandshake() {
  if (stopping_ || !device_) return;
  auto device = device_->read();
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
  if (!device_ || stopping_) return {};
  auto device = device_->read();
  if (!device) return {};
  return {device->rxBytes, device->txBytes};
}

void WireGuardEngine::fail(std::string message) {
  stopping_ = true;
  cancelTimer();
  // The loss is reported before the clean-up, which waits on the kernel (a dead program's
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
  if (device_) device_->destroy();
  routing_.remove();
  // Whichever device ran, no interface of this name outlives the engine.
  (void)netlink_.deleteLink(context_.interfaceName);
  state_ = EngineState::exited;
}

void WireGuardEngine::stop(StopCallback done) {
  stopping_ = true;
  tearDown();
  if (done) done();
}

}  // namespace corvane::daemon::engines::wireguard
