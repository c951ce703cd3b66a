#include "platform/vpn/test/fake_tunnel_daemon.h"

#include <algorithm>

namespace corvane::platform {

FakeTunnelDaemon::~FakeTunnelDaemon() {
  for (const auto id : timers_) loop_.cancel(id);
}

TimerId FakeTunnelDaemon::later(Duration delay, Task task) {
  const TimerId id = loop_.postAfter(delay, std::move(task));
  timers_.push_back(id);
  return id;
}

void FakeTunnelDaemon::transition(Duration delay, Task task) {
  if (transition_ != 0) loop_.cancel(transition_);
  transition_ = later(delay, std::move(task));
}

void FakeTunnelDaemon::setStatus(VpnStatus status) {
  state_.status = status;
  if (status == VpnStatus::disconnected || status == VpnStatus::invalid) {
    state_.engine.clear();
    state_.startedBy.clear();
    state_.proxy.reset();
  }
  observers_.state(state_);
}

void FakeTunnelDaemon::listManagers(ManagersDone done) {
  later(Duration::zero(), [this, done = std::move(done)] { done(managers); });
}

void FakeTunnelDaemon::saveManager(ManagerSettings manager, ManagerDone done) {
  later(Duration::zero(), [this, manager = std::move(manager), done = std::move(done)]() mutable {
    if (manager.id.empty()) manager.id = "m" + std::to_string(nextManager_++);
    auto same = std::find_if(managers.begin(), managers.end(), [&](const auto& m) { return m.id == manager.id; });
    if (same != managers.end()) {
      *same = manager;
    } else {
      managers.push_back(manager);
    }
    done(manager);
  });
}

void FakeTunnelDaemon::begin(std::string engine, std::string startedBy, std::string managerId) {
  state_.engine = std::move(engine);
  state_.startedBy = std::move(startedBy);
  state_.managerId = std::move(managerId);
  state_.lastError.clear();
  state_.proxy.reset();
  if (state_.engine == "shadowsocks" || state_.engine == "v2ray") state_.proxy = LoopbackProxy{"127.0.0.1", 10808};
  setStatus(VpnStatus::connecting);
  transition(connectDelay, [this, fail = failAfterStart] {
    if (state_.status != VpnStatus::connecting) return;
    if (fail) {
      state_.lastError = *fail;
      setStatus(VpnStatus::disconnected);
    } else {
      setStatus(VpnStatus::connected);
    }
  });
}

void FakeTunnelDaemon::startManager(std::string managerId, Done done) {
  later(Duration::zero(), [this, managerId = std::move(managerId), done = std::move(done)] {
    if (refuseNextStart) {
      done(*std::exchange(refuseNextStart, std::nullopt));
      return;
    }
    const bool known = std::any_of(managers.begin(), managers.end(), [&](const auto& m) { return m.id == managerId; });
    if (!known) {
      done(Error("notFound", 0, "no manager '" + managerId + "'"));
      return;
    }
    managerStarts.push_back(managerId);
    done(Result<void>::success());
    begin("openvpn", "manager", managerId);
  });
}

void FakeTunnelDaemon::startProfile(ProfileStart profile, Done done) {
  later(Duration::zero(), [this, profile = std::move(profile), done = std::move(done)] {
    if (refuseNextStart) {
      done(*std::exchange(refuseNextStart, std::nullopt));
      return;
    }
    profileStarts.push_back(profile);
    done(Result<void>::success());
    begin(profile.engine, "profile", "");
  });
}

void FakeTunnelDaemon::stop(Done done) {
  later(Duration::zero(), [this, done = std::move(done)] {
    ++stops;
    done(Result<void>::success());
    if (state_.status == VpnStatus::disconnected || state_.status == VpnStatus::invalid) return;
    setStatus(VpnStatus::disconnecting);
    transition(stopDelay, [this] { setStatus(VpnStatus::disconnected); });
  });
}

void FakeTunnelDaemon::refreshState(Done done) {
  later(Duration::zero(), [this, done = std::move(done)] {
    if (state_.status == VpnStatus::invalid) setStatus(VpnStatus::disconnected);
    done(Result<void>::success());
  });
}

}  // namespace corvane::platform
