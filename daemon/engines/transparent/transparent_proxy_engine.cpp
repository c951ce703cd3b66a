#include "daemon/engines/transparent/transparent_proxy_engine.h"

#include <fcntl.h>
#include <fmt/format.h>
#include <string.h>
#include <unistd.h>

#include <cerrno>
#include <nlohmann/json.hpp>

#include "daemon/engines/orphan_programs.h"
#include "daemon/engines/transparent/loopback_port.h"
#include "daemon/net/nftables.h"

namespace corvane::daemon::engines::transparent {
namespace {

using engine::EngineError;
using engine::EngineState;
using namespace std::chrono_literals;

// ss-redir and v2ray listen within a few hundred milliseconds; ten seconds means they never will.
constexpr auto kListenWait = 10s;
constexpr auto kListenPoll = 20ms;
constexpr auto kStopGrace = 2s;

}  // namespace

TransparentProxyEngine::TransparentProxyEngine(TransparentLaunch launch, TransparentRules rules,
                                               engine::EngineContext context, engine::TunnelNetwork network)
    : launch_(std::move(launch)),
      rules_(std::move(rules)),
      context_(std::move(context)),
      network_(std::move(network)),
      routing_(netlink_),
      program_(context_),
      serverLink_(context_.loop) {}

TransparentProxyEngine::~TransparentProxyEngine() {
  explicit_bzero(launch_.configText.data(), launch_.configText.size());
  if (program_.started() || state_ != EngineState::exited) {
    stopping_ = true;
    tearDown();
  }
}

std::optional<EngineError> TransparentProxyEngine::writeConfig() {
  const auto path = context_.runtimeDir / launch_.configFileName;
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return EngineError::failed(fmt::format("cannot write {}: {}", path.string(), strerror(errno)));
  std::string_view rest = launch_.configText;
  while (!rest.empty()) {
    ssize_t written = write(fd, rest.data(), rest.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      close(fd);
      return EngineError::failed(fmt::format("cannot write {}: {}", path.string(), strerror(errno)));
    }
    rest.remove_prefix(static_cast<std::size_t>(written));
  }
  close(fd);
  explicit_bzero(launch_.configText.data(), launch_.configText.size());
  launch_.configText.clear();
  return std::nullopt;
}

std::optional<EngineError> TransparentProxyEngine::start(StateCallback onState) {
  onState_ = std::move(onState);
  // A proxy keeps listening whatever becomes of the way to its server, so its listening says
  // nothing about that way: the link under it is watched instead.
  if (auto noWay = serverLink_.start(network_.serverEndpoints, network_.fwmark.value_or(0), [this](std::string why) {
        if (!stopping_) fail(std::move(why));
      })) {
    return EngineError::failed(*noWay);
  }
  removeRules();
  if (auto error = writeConfig()) {
    serverLink_.stop();
    return error;
  }

  std::vector<std::string> args = launch_.argsBeforeFile;
  args.push_back((context_.runtimeDir / launch_.configFileName).string());
  args.insert(args.end(), launch_.argsAfterFile.begin(), launch_.argsAfterFile.end());
  auto started = program_.start(launch_.program, args, {},
                                [this](const platform::ProcessExit& exit) { onProgramExit(exit); });
  if (started) {
    serverLink_.stop();
    return started;
  }
  state_ = EngineState::starting;
  startedAt_ = context_.loop.now();
  waitForListener();
  return std::nullopt;
}

void TransparentProxyEngine::waitForListener() {
  if (stopping_ || !program_.checkRunning()) return;
  bool listening = true;
  for (auto port : launch_.listenPorts) listening = listening && listensOnLoopback(port);
  if (!listening) {
    if (context_.loop.now() - startedAt_ > kListenWait) {
      return fail(fmt::format("{} did not listen on 127.0.0.1:{} within 10 s", launch_.program, rules_.port));
    }
    timer_ = context_.loop.postAfter(kListenPoll, [this] {
      timer_ = 0;
      waitForListener();
    });
    return;
  }
  if (auto routed = routing_.apply(); !routed) return fail("transparent routing: " + routed.error().description);
  if (auto table = net::Nftables::replaceTable("inet", kTransparentTable, nftTransparentRuleset(rules_)); !table) {
    return fail("transparent table: " + table.error().description);
  }
  report(EngineState::up);
}

engine::TrafficCounters TransparentProxyEngine::counters() {
  if (state_ != EngineState::up) return {};
  auto listed = net::Nftables::run(fmt::format("list counters table inet {}", kTransparentTable), net::Nftables::Output::json);
  if (!listed) return {};
  auto json = nlohmann::json::parse(*listed, nullptr, false);
  engine::TrafficCounters counters;
  if (!json.is_object() || !json.contains("nftables") || !json["nftables"].is_array()) return counters;
  for (const auto& item : json["nftables"]) {
    if (!item.is_object() || !item.contains("counter")) continue;
    const auto& counter = item["counter"];
    if (!counter.contains("name") || !counter.contains("bytes") || !counter["bytes"].is_number_unsigned()) continue;
    if (counter["name"] == "tunnel_tx") counters.txBytes = counter["bytes"].get<std::uint64_t>();
    if (counter["name"] == "tunnel_rx") counters.rxBytes = counter["bytes"].get<std::uint64_t>();
  }
  return counters;
}

void TransparentProxyEngine::onProgramExit(const platform::ProcessExit& exit) {
  if (stopping_) return;
  fail(fmt::format("{} exited ({})", launch_.program, exit.describe()));
}

void TransparentProxyEngine::fail(std::string message) {
  stopping_ = true;
  tearDown();
  report(EngineState::exited, EngineError::failed(std::move(message)));
}

void TransparentProxyEngine::report(EngineState state, std::optional<EngineError> error) {
  state_ = state;
  if (onState_) onState_(state, std::move(error));
}

void TransparentProxyEngine::tearDown() {
  serverLink_.stop();
  if (timer_ != 0) context_.loop.cancel(timer_);
  timer_ = 0;
  // The table goes first: once the program is gone, traffic sent to its port would vanish.
  removeRules();
  program_.stop(kStopGrace);
  std::error_code ignored;
  std::filesystem::remove(context_.runtimeDir / launch_.configFileName, ignored);
  state_ = EngineState::exited;
}

void TransparentProxyEngine::stop(StopCallback done) {
  stopping_ = true;
  tearDown();
  if (done) done();
}

void TransparentProxyEngine::removeLeftovers(const engine::EngineContext& context) {
  (void)killProgramsUsing(context.runtimeDir);
  removeRules();
}

void TransparentProxyEngine::removeRules() {
  (void)net::Nftables::removeTable("inet", kTransparentTable);
  net::Netlink netlink;
  TransparentRouting(netlink).remove();
}

}  // namespace corvane::daemon::engines::transparent
