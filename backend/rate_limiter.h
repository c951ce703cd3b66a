#pragma once
// Counts events per key (an account or an address) in fixed windows and says how long a key
// must wait once it used up its window. The table is bounded: past maxKeys, finished windows
// are dropped first, then the oldest windows, so sprayed keys cannot grow memory.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <unordered_map>

namespace corvane::backend {

struct RateLimitPolicy {
  int maxEvents = 0;  // 0: no limit
  std::int64_t windowSeconds = 0;
};

class RateLimiter {
 public:
  using Clock = std::function<std::int64_t()>;  // Unix seconds

  RateLimiter(RateLimitPolicy policy, Clock clock, std::size_t maxKeys = 100000);

  // Seconds until `key` may act again; 0 when it may act now.
  std::int64_t blockedFor(const std::string& key);
  // Counts one event of `key`.
  void record(const std::string& key);
  // blockedFor() and, when 0, record(), in one step.
  std::int64_t take(const std::string& key);

  std::size_t trackedKeys();

 private:
  struct Window {
    std::int64_t start = 0;
    int count = 0;
  };
  std::int64_t blockedForLocked(const std::string& key, std::int64_t now);
  void recordLocked(const std::string& key, std::int64_t now);
  void makeRoom(std::int64_t now);

  const RateLimitPolicy policy_;
  const Clock clock_;
  const std::size_t maxKeys_;
  std::mutex mutex_;
  std::unordered_map<std::string, Window> windows_;
};

}  // namespace corvane::backend
