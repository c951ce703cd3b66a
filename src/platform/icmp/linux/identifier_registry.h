#pragma once
// The echo identifiers held by this process's ICMP datagram sockets. Each such socket must
// own its identifier: the kernel hands a reply to one socket bound to the identifier it
// carries, so two sockets on one identifier would lose each other's replies. Some kernels
// refuse the second bind with EADDRINUSE; others (6.18 here) accept it silently, so the
// process keeps its own ledger and refuses the same way.
#include <cstdint>
#include <mutex>
#include <unordered_set>

namespace corvane::platform {

class IdentifierRegistry {
 public:
  static IdentifierRegistry& process() {
    static IdentifierRegistry registry;
    return registry;
  }

  // False when another socket of this process holds `identifier`.
  bool claim(std::uint16_t identifier) {
    std::lock_guard lock(mutex_);
    return held_.insert(identifier).second;
  }
  void release(std::uint16_t identifier) {
    std::lock_guard lock(mutex_);
    held_.erase(identifier);
  }

 private:
  std::mutex mutex_;
  std::unordered_set<std::uint16_t> held_;
};

}  // namespace corvane::platform
