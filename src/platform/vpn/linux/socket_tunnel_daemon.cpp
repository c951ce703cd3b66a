#include "platform/vpn/linux/socket_tunnel_daemon.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/paths/paths.h"

namespace corvane::platform {
namespace {

constexpr const char* kDomain = "tunneld";
constexpr Duration kLongestRetry = seconds(30);

Error errorFrom(const tunneld::ErrorInfo& info) {
  return Error(kDomain, static_cast<std::int64_t>(info.code),
               std::string(tunneld::errorCodeToken(info.code)) + ": " + info.message);
}

tunneld::Request request(tunneld::Op op) {
  tunneld::Request r;
  r.op = op;
  return r;
}

}  // namespace

std::string SocketTunnelDaemon::socketPathFromEnvironment() {
  return environmentOr(std::string(tunneld::kSocketEnvironment).c_str(), std::string(tunneld::kDefaultSocketPath));
}

bool SocketTunnelDaemon::answers(const std::string& socketPath) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (socketPath.empty() || socketPath.size() >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  const bool connected = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  ::close(fd);
  return connected;
}

SocketTunnelDaemon::SocketTunnelDaemon(MainLoop& loop, Log log, std::string socketPath)
    : loop_(loop), log_(std::move(log)), socketPath_(std::move(socketPath)) {}

SocketTunnelDaemon::~SocketTunnelDaemon() {
  if (retryTimer_ != 0) loop_.cancel(retryTimer_);
  // Handlers are dropped unanswered: their owners are being torn down with this client.
  pending_.clear();
  events_.reset();
  requests_.reset();
}

TunnelState SocketTunnelDaemon::stateFrom(const tunneld::TunnelStatus& s) {
  TunnelState state;
  state.status = s.status >= 0 && s.status <= 5 ? static_cast<VpnStatus>(s.status) : VpnStatus::invalid;
  state.engine = s.engine;
  state.startedBy = s.startedBy;
  state.managerId = s.managerId;
  state.tunnelAddress = s.tunnelAddress;
  state.interfaceName = s.interfaceName;
  state.rxBytes = static_cast<std::int64_t>(s.rxBytes);
  state.txBytes = static_cast<std::int64_t>(s.txBytes);
  if (s.proxy) state.proxy = LoopbackProxy{s.proxy->host, s.proxy->port};
  state.killSwitch = s.killSwitch;
  if (s.lastError) state.lastError = s.lastError->message;
  return state;
}

ManagerSettings SocketTunnelDaemon::settingsFrom(const tunneld::Manager& m) {
  ManagerSettings settings;
  settings.id = m.id.value_or("");
  settings.protocolConfiguration =
      TunnelProviderProtocol{m.serverAddress, m.providerBundleIdentifier, m.providerConfiguration, m.username};
  settings.localizedDescription = m.description;
  settings.isEnabled = m.enabled;
  settings.isOnDemandEnabled = m.onDemandEnabled;
  for (const auto& rule : m.onDemandRules) {
    settings.onDemandRules.push_back(OnDemandRule{static_cast<int>(rule.interfaceTypeMatch), rule.probeURL});
  }
  return settings;
}

tunneld::Manager SocketTunnelDaemon::managerFrom(const ManagerSettings& settings) {
  tunneld::Manager m;
  if (!settings.id.empty()) m.id = settings.id;
  m.description = settings.localizedDescription;
  m.enabled = settings.isEnabled;
  if (settings.protocolConfiguration) {
    m.providerBundleIdentifier = settings.protocolConfiguration->providerBundleIdentifier;
    m.serverAddress = settings.protocolConfiguration->serverAddress;
    m.username = settings.protocolConfiguration->username;
    m.providerConfiguration = settings.protocolConfiguration->providerConfiguration;
  }
  m.onDemandEnabled = settings.isOnDemandEnabled;
  for (const auto& rule : settings.onDemandRules) {
    tunneld::OnDemandRule r;
    r.interfaceTypeMatch = rule.interfaceTypeMatch;
    r.probeURL = rule.probeURL;
    m.onDemandRules.push_back(std::move(r));
  }
  return m;
}

void SocketTunnelDaemon::send(tunneld::Request r, AnswerHandler handler) {
  if (!requests_) {
    auto connected = LineSocket::connect(
        socketPath_, loop_, [this](std::string_view line) { onRequestLine(line); },
        [this](Error error) { onRequestsClosed(std::move(error)); });
    if (!connected) {
      // The answer still comes on a later turn, as every answer does.
      loop_.post([handler = std::move(handler), error = connected.error()] { handler(error); });
      return;
    }
    requests_ = std::move(*connected);
  }
  r.id = nextId_++;
  pending_[r.id] = std::move(handler);
  if (auto sent = requests_->send(tunneld::LineCodec::write(r)); !sent) {
    log_.warning("tunnel service: " + sent.error().description);
  }
}

void SocketTunnelDaemon::onRequestLine(std::string_view line) {
  auto parsed = codec_.parseServerLine(line);
  if (!parsed || !parsed->answer) {
    log_.warning("tunnel service: unreadable answer: " + (parsed ? std::string("an event") : parsed.error().message));
    return;
  }
  const tunneld::Answer& answer = *parsed->answer;
  if (!answer.id) {
    // Only a refused caller gets an answer without an id, and the service closes after it.
    if (answer.error) log_.warning("tunnel service refused this user: " + answer.error->message);
    return;
  }
  auto found = pending_.find(*answer.id);
  if (found == pending_.end()) return;
  auto handler = std::move(found->second);
  pending_.erase(found);
  if (answer.error) {
    handler(errorFrom(*answer.error));
  } else {
    handler(answer);
  }
}

void SocketTunnelDaemon::onRequestsClosed(Error error) {
  // The socket is closed; release it on a later turn (this runs inside its own callback).
  loop_.post([doomed = std::shared_ptr<LineSocket>(std::move(requests_))] {});
  auto pending = std::move(pending_);
  pending_.clear();
  for (auto& [id, handler] : pending) handler(error);
}

void SocketTunnelDaemon::setState(TunnelState state) {
  if (state == state_) return;
  state_ = std::move(state);
  observers_.state(state_);
}

void SocketTunnelDaemon::listManagers(ManagersDone done) {
  send(request(tunneld::Op::managersList), [done = std::move(done)](Result<tunneld::Answer> answer) {
    if (!answer) return done(answer.error());
    std::vector<ManagerSettings> list;
    for (const auto& m : answer->managers.value_or(std::vector<tunneld::Manager>{})) list.push_back(settingsFrom(m));
    done(std::move(list));
  });
}

void SocketTunnelDaemon::saveManager(ManagerSettings manager, ManagerDone done) {
  auto r = request(tunneld::Op::managersSave);
  r.manager = managerFrom(manager);
  send(std::move(r), [done = std::move(done)](Result<tunneld::Answer> answer) {
    if (!answer) return done(answer.error());
    if (!answer->manager) return done(Error(kDomain, EPROTO, "the service saved the manager but did not return it"));
    done(settingsFrom(*answer->manager));
  });
}

void SocketTunnelDaemon::startManager(std::string managerId, Done done) {
  auto r = request(tunneld::Op::start);
  r.managerId = std::move(managerId);
  send(std::move(r), [done = std::move(done)](Result<tunneld::Answer> answer) {
    if (!answer) return done(answer.error());
    done(Result<void>::success());
  });
}

void SocketTunnelDaemon::startProfile(ProfileStart profile, Done done) {
  auto r = request(tunneld::Op::start);
  r.profile = tunneld::Profile{std::move(profile.engine), std::move(profile.content), std::move(profile.name)};
  send(std::move(r), [done = std::move(done)](Result<tunneld::Answer> answer) {
    if (!answer) return done(answer.error());
    done(Result<void>::success());
  });
}

void SocketTunnelDaemon::stop(Done done) {
  send(request(tunneld::Op::stop), [done = std::move(done)](Result<tunneld::Answer> answer) {
    if (!answer) return done(answer.error());
    done(Result<void>::success());
  });
}

void SocketTunnelDaemon::refreshState(Done done) {
  send(request(tunneld::Op::status), [this, done = std::move(done)](Result<tunneld::Answer> answer) {
    if (!answer) {
      TunnelState unreachable;
      unreachable.status = VpnStatus::invalid;
      setState(unreachable);
      return done(answer.error());
    }
    if (answer->status) setState(stateFrom(*answer->status));
    done(Result<void>::success());
  });
}

void SocketTunnelDaemon::subscribe() {
  if (events_ || subscribing_) return;
  retryTimer_ = 0;
  auto connected = LineSocket::connect(
      socketPath_, loop_, [this](std::string_view line) { onEventLine(line); },
      [this](Error error) { onEventsClosed(std::move(error)); });
  if (!connected) {
    log_.info("tunnel service events: " + connected.error().description);
    setState(TunnelState{});
    retrySubscription();
    return;
  }
  events_ = std::move(*connected);
  auto r = request(tunneld::Op::subscribe);
  r.id = nextId_++;
  if (!events_->send(tunneld::LineCodec::write(r))) return;  // onEventsClosed follows
  subscribing_ = true;
  // Events tell changes only; the state as it is now comes from a status request.
  refreshState([](Result<void>) {});
}

void SocketTunnelDaemon::onEventLine(std::string_view line) {
  auto parsed = codec_.parseServerLine(line);
  if (!parsed) {
    log_.warning("tunnel service: unreadable event: " + parsed.error().message);
    return;
  }
  if (parsed->answer) {
    if (parsed->answer->error) log_.warning("tunnel service refused the subscription: " + parsed->answer->error->message);
    retryDelay_ = seconds(1);
    subscribing_ = false;
    return;
  }
  if (!parsed->event) return;
  if (parsed->event->status) setState(stateFrom(*parsed->event->status));
  if (const auto& t = parsed->event->traffic) {
    state_.rxBytes = static_cast<std::int64_t>(t->rxBytes);
    state_.txBytes = static_cast<std::int64_t>(t->txBytes);
    observers_.traffic(TrafficSample{static_cast<std::int64_t>(t->rxBytes), static_cast<std::int64_t>(t->txBytes),
                                     static_cast<std::int64_t>(t->uplink), static_cast<std::int64_t>(t->downlink)});
  }
}

void SocketTunnelDaemon::onEventsClosed(Error error) {
  log_.info("tunnel service events lost: " + error.description);
  loop_.post([doomed = std::shared_ptr<LineSocket>(std::move(events_))] {});
  subscribing_ = false;
  setState(TunnelState{});
  retrySubscription();
}

void SocketTunnelDaemon::retrySubscription() {
  if (retryTimer_ != 0) return;
  retryTimer_ = loop_.postAfter(retryDelay_, [this] { subscribe(); });
  retryDelay_ = std::min(retryDelay_ * 2, kLongestRetry);
}

}  // namespace corvane::platform
