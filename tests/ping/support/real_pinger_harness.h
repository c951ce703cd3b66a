#pragma once
// Pingers on the programs' own main loop and thread pool, in wall time: what corvanectl and
// the app run. Reports are collected per pinger.
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "ping/echo_pinger.h"
#include "platform/icmp/linux/linux_icmp_socket_factory.h"
#include "platform/mainloop/asio/asio_main_loop.h"
#include "platform/mainloop/asio/global_queue.h"
#include "platform/mainloop/asio/serial_queue.h"

namespace corvane::ping::testing {

class RealPingerHarness {
 public:
  explicit RealPingerHarness(
      platform::LinuxIcmpSocketFactory::Kind kind = platform::LinuxIcmpSocketFactory::Kind::automatic)
      : sockets(kind) {}

  ~RealPingerHarness() {
    for (auto& pinger : pingers_) pinger->haltPinging();
    pingers_.clear();
    loop.runFor(std::chrono::milliseconds(20));  // lets the loop close what it watched
  }

  PingOutcome<std::shared_ptr<EchoPinger>> make(const std::string& address,
                                                const PingConfiguration& configuration) {
    auto outcome = EchoPinger::createWithAddress(address, configuration, pool, services);
    if (outcome) {
      auto pinger = *outcome;
      pingers_.push_back(pinger);
      EchoPinger* key = pinger.get();
      pinger->setObserver([this, key](const PingResponse& r) {
        {
          std::lock_guard lock(mutex_);
          reports_[key].push_back(r);
          ++total_;
        }
        loop.post([] {});  // wakes runUntil to look again
      });
    }
    return outcome;
  }

  std::vector<PingResponse> reportsOf(const std::shared_ptr<EchoPinger>& pinger) const {
    std::lock_guard lock(mutex_);
    auto it = reports_.find(pinger.get());
    return it == reports_.end() ? std::vector<PingResponse>{} : it->second;
  }
  std::size_t totalReports() const {
    std::lock_guard lock(mutex_);
    return total_;
  }
  bool waitForReports(std::size_t count, std::chrono::seconds limit) {
    return loop.runUntil([&] { return totalReports() >= count; }, limit);
  }

 private:
  mutable std::mutex mutex_;
  std::map<const EchoPinger*, std::vector<PingResponse>> reports_;
  std::size_t total_ = 0;

 public:
  platform::AsioMainLoop loop;
  platform::GlobalQueue pool{2};
  platform::LinuxIcmpSocketFactory sockets;
  EchoPingerServices services{loop, sockets,
                              [this] { return std::make_unique<platform::SerialQueue>(pool); },
                              nullptr, platform::Log::null()};

 private:
  std::vector<std::shared_ptr<EchoPinger>> pingers_;
};

}  // namespace corvane::ping::testing
