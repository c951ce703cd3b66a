#include "daemon/engines/wireguard/userspace_device.h"

#include <fmt/format.h>
#include <string.h>

namespace corvane::daemon::engines::wireguard {
namespace {

using namespace std::chrono_literals;

// wireguard-go makes its socket within milliseconds; five seconds means it never will.
constexpr auto kSocketWait = 5s;
constexpr auto kSocketPoll = 10ms;
constexpr auto kStopGrace = 2s;

}  // namespace

UserspaceDevice::UserspaceDevice(const engine::EngineContext& context, net::Netlink& netlink)
    : context_(context),
      netlink_(netlink),
      uapi_(UapiClient::socketFor(context.interfaceName)),
      program_(context) {}

UserspaceDevice::~UserspaceDevice() { destroy(); }

std::optional<engine::EngineError> UserspaceDevice::create(ReadyCallback ready, LostCallback lost) {
  ready_ = std::move(ready);
  lost_ = std::move(lost);
  std::error_code ignored;
  std::filesystem::remove(UapiClient::socketFor(context_.interfaceName), ignored);
  auto started = program_.start("wireguard-go", {"-f", context_.interfaceName},
                                {{"WG_PROCESS_FOREGROUND", "1"}, {"LOG_LEVEL", "error"}},
                                [this](const platform::ProcessExit& exit) {
                                  if (!destroyed_ && lost_)
                                    lost_(fmt::format("wireguard-go exited ({})", exit.describe()));
                                });
  if (started) return started;
  startedAt_ = context_.loop.now();
  waitForSocket();
  return std::nullopt;
}

void UserspaceDevice::waitForSocket() {
  if (destroyed_ || !program_.checkRunning()) return;
  if (uapi_.socketExists()) return ready_();
  if (context_.loop.now() - startedAt_ > kSocketWait) {
    return lost_(fmt::format("wireguard-go made no configuration socket for {} within 5 s",
                             context_.interfaceName));
  }
  timer_ = context_.loop.postAfter(kSocketPoll, [this] {
    timer_ = 0;
    waitForSocket();
  });
}

std::string UserspaceDevice::uapiBody(const DeviceSettings& settings) {
  const auto& config = settings.config;
  std::string body = "private_key=" + config.privateKey.hex() + "\n";
  body += fmt::format("fwmark={}\nreplace_peers=true\n", settings.fwmark);
  for (std::size_t i = 0; i < config.peers.size(); ++i) {
    const auto& peer = config.peers[i];
    body += "public_key=" + peer.publicKey.hex() + "\n";
    if (peer.presharedKey) body += "preshared_key=" + peer.presharedKey->hex() + "\n";
    const auto& endpoint = settings.endpoints.at(i);
    body += endpoint.address.find(':') != std::string::npos
                ? fmt::format("endpoint=[{}]:{}\n", endpoint.address, endpoint.port)
                : fmt::format("endpoint={}:{}\n", endpoint.address, endpoint.port);
    body += "replace_allowed_ips=true\n";
    for (const auto& prefix : peer.allowedIps) body += "allowed_ip=" + prefix.text() + "\n";
    if (peer.persistentKeepalive)
      body += fmt::format("persistent_keepalive_interval={}\n", *peer.persistentKeepalive);
  }
  return body;
}

Result<void> UserspaceDevice::configure(const DeviceSettings& settings) {
  std::string body = uapiBody(settings);
  auto set = uapi_.set(body);
  explicit_bzero(body.data(), body.size());
  if (!set) return set.error();
  return Result<void>::success();
}

Result<DeviceState> UserspaceDevice::read() {
  if (!program_.started()) return Error("WireGuard", 0, "wireguard-go is not running");
  auto state = uapi_.get();
  if (!state) return state.error();
  return DeviceState{state->rxBytes, state->txBytes, state->lastHandshake};
}

void UserspaceDevice::destroy() {
  if (timer_ != 0) context_.loop.cancel(timer_);
  timer_ = 0;
  if (destroyed_) return;
  destroyed_ = true;
  program_.stop(kStopGrace);
  // wireguard-go removes its interface when it ends; after a SIGKILL it cannot.
  (void)netlink_.deleteLink(context_.interfaceName);
  std::error_code ignored;
  std::filesystem::remove(UapiClient::socketFor(context_.interfaceName), ignored);
}

}  // namespace corvane::daemon::engines::wireguard
