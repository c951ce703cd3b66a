#pragma once
// Pingers on a ManualLoop in virtual time, with real ICMP datagram sockets inside a network
// namespace of their own (loopback only). The test thread enters the namespace for the
// harness's life, so every socket the pinger opens, now or after a restart, lives there.
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "ping/echo_pinger.h"
#include "ping/support/namespaces.h"
#include "platform/icmp/linux/linux_icmp_socket_factory.h"
#include "platform/lifecycle/notification_app_lifecycle.h"
#include "platform/mainloop/manual/manual_loop.h"
#include "platform/mainloop/manual/manual_queue.h"

namespace corvane::ping::testing {

// The settings the server list uses for each probe.
inline PingConfiguration probeSettings() {
  PingConfiguration c;
  c.pingInterval = 0.5;
  c.timeoutInterval = 5.0;
  c.handleBackgroundTransitions = true;
  c.payloadSize = 16;
  c.haltAfterTarget = true;
  return c;
}

class ManualPingerHarness {
 public:
  // `answering`: whether the namespace's kernel answers echo requests.
  explicit ManualPingerHarness(bool answering) : ns_("life") {
    if (!ns_.ok()) {
      whyNot_ = "cannot create a network namespace (needs root and iproute2)";
      return;
    }
    if (!ns_.openPingGroupRange() ||
        (!answering && !ns_.sysctl("net.ipv4.icmp_echo_ignore_all=1"))) {
      whyNot_ = "cannot set the namespace's ICMP settings";
      return;
    }
    entered_ = std::make_unique<EnterNamespace>(ns_);
    if (!entered_->ok()) whyNot_ = "cannot enter the network namespace";
  }

  ~ManualPingerHarness() {
    // Flush what the pingers left queued, so every pinger goes while the loop is alive.
    for (auto& pinger : pingers_) pinger->haltPinging();
    loop.advance(platform::seconds(3600));
    pingers_.clear();
    loop.advance(platform::seconds(1));
  }

  // Empty when the harness is usable, else why the test must skip.
  const std::string& whyNot() const { return whyNot_; }
  const NetworkNamespace& ns() const { return ns_; }

  PingOutcome<std::shared_ptr<EchoPinger>> make(const PingConfiguration& configuration,
                                                const std::string& address = "127.0.0.1") {
    auto outcome = EchoPinger::createWithAddress(address, configuration, callerQueue, services);
    if (outcome) {
      pingers_.push_back(*outcome);
      (*outcome)->setObserver([this](const PingResponse& r) {
        std::lock_guard lock(mutex_);
        observed_.push_back(r);
      });
      (*outcome)->setFinished([this](const PingResult& r) {
        std::lock_guard lock(mutex_);
        results_.push_back(r);
      });
    }
    return outcome;
  }

  std::vector<PingResponse> observed() const {
    std::lock_guard lock(mutex_);
    return observed_;
  }
  std::vector<PingResult> results() const {
    std::lock_guard lock(mutex_);
    return results_;
  }
  // Runs the loop in wall time (virtual time stands still) until `count` reports are in.
  bool waitForReports(std::size_t count) {
    return loop.runUntil([&] { return observed().size() >= count; }, std::chrono::seconds(3));
  }

 private:
  NetworkNamespace ns_;
  std::unique_ptr<EnterNamespace> entered_;
  std::string whyNot_;
  mutable std::mutex mutex_;
  std::vector<PingResponse> observed_;
  std::vector<PingResult> results_;

 public:
  platform::ManualLoop loop;
  platform::ManualQueue callerQueue{loop};
  platform::LinuxIcmpSocketFactory sockets{platform::LinuxIcmpSocketFactory::Kind::datagramOnly};
  platform::NotificationCenter center;
  platform::NotificationAppLifecycle lifecycle{center};
  EchoPingerServices services{loop, sockets,
                              [this] { return std::make_unique<platform::ManualQueue>(loop); },
                              &lifecycle, platform::Log::null()};

 private:
  std::vector<std::shared_ptr<EchoPinger>> pingers_;  // destroyed first
};

}  // namespace corvane::ping::testing
