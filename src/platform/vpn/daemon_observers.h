#pragma once
// The observer list a TunnelDaemon implementation keeps. An observer may add or remove
// observers (itself included) while being called; a removed one is not called afterwards.
#include <map>
#include <memory>
#include <utility>

#include "platform/vpn/tunnel_daemon.h"

namespace corvane::platform {

class DaemonObservers {
 public:
  TunnelDaemon::ObserverId add(TunnelDaemon::StateObserver onState, TunnelDaemon::TrafficObserver onTraffic) {
    const auto id = next_++;
    entries_[id] = std::make_shared<Entry>(Entry{std::move(onState), std::move(onTraffic)});
    return id;
  }
  void remove(TunnelDaemon::ObserverId id) { entries_.erase(id); }
  bool empty() const { return entries_.empty(); }

  void state(const TunnelState& state) {
    for (const auto& [id, entry] : snapshot()) {
      if (entries_.count(id) != 0 && entry->onState) entry->onState(state);
    }
  }
  void traffic(const TrafficSample& sample) {
    for (const auto& [id, entry] : snapshot()) {
      if (entries_.count(id) != 0 && entry->onTraffic) entry->onTraffic(sample);
    }
  }

 private:
  struct Entry {
    TunnelDaemon::StateObserver onState;
    TunnelDaemon::TrafficObserver onTraffic;
  };
  std::map<TunnelDaemon::ObserverId, std::shared_ptr<Entry>> snapshot() const { return entries_; }

  std::map<TunnelDaemon::ObserverId, std::shared_ptr<Entry>> entries_;
  TunnelDaemon::ObserverId next_ = 1;
};

}  // namespace corvane::platform
