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
#include "platform/process/process_environment.h"

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
      routing_(netlink_) {}

TransparentProxyEngine::~TransparentProxyEngine() {
  explicit_bzero(launch_.configText.data(), launch_.configText.size());
  if (process_ || state_ != EngineState::exited) {
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
  removeRules();
  if (auto error = writeConfig()) return error;

  platform::ProcessOptions options;
  options.argv = {context_.programDir.empty() ? launch_.program : (context_.programDir / launch_.program).string()};
  options.argv.insert(options.argv.end(), launch_.argsBeforeFile.begin(), launch_.argsBeforeFile.end());
  options.argv.push_back((context_.runtimeDir / launch_.configFileName).string());
  options.argv.insert(options.argv.end(), launch_.argsAfterFile.begin(), launch_.argsAfterFile.end());
  auto environment = platform::ProcessEnvironment::current();
  if (environment.find("PATH") == nullptr) environment.set("PATH", "/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin");
  options.environment = environment.entries();
  options.stdoutStream = platform::ChildStream::devNull();
  options.newProcessGroup = true;
  auto process = platform::Process::start(std::move(options));
  if (!process) {
    if (process.error().code == ENOENT || process.error().code == EACCES) {
      return EngineError::missing(fmt::format("{} cannot be run: {}", launch_.program, process.error().description));
    }
    return EngineError::failed(fmt::format("{} did not start: {}", launch_.program, process.error().description));
  }
  process_.emplace(std::move(*process));
  if (process_->exitFd() >= 0) {
    exitWatch_ = context_.loop.watchReadable(process_->exitFd(), [this] { onProgramExit(); });
  }
  state_ = EngineState::starting;
  startedAt_ = context_.loop.now();
  waitForListener();
  return std::nullopt;
}

void TransparentProxyEngine::waitForListener() {
  if (stopping_ || !process_) return;
  if (!process_->running()) return onProgramExit();
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

void TransparentProxyEngine::onProgramExit() {
  if (stopping_ || !process_) return;
  auto exit = process_->tryWait();
  if (!exit) return;  // woken early; the descriptor fires again when it really ends
  fail(fmt::format("{} exited ({})", launch_.program, exit->describe()));
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
  if (timer_ != 0) context_.loop.cancel(timer_);
  timer_ = 0;
  if (exitWatch_ != 0) context_.loop.unwatch(exitWatch_);
  exitWatch_ = 0;
  // The table goes first: once the program is gone, traffic sent to its port would vanish.
  removeRules();
  if (process_) {
    (void)process_->stop(kStopGrace);
    process_.reset();
  }
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
