#include "backend/rate_limiter.h"

#include <algorithm>

namespace corvane::backend {

RateLimiter::RateLimiter(RateLimitPolicy policy, Clock clock, std::size_t maxKeys)
    : policy_(policy), clock_(std::move(clock)), maxKeys_(std::max<std::size_t>(maxKeys, 1)) {}

std::int64_t RateLimiter::blockedFor(const std::string& key) {
  std::lock_guard lock(mutex_);
  return blockedForLocked(key, clock_());
}

void RateLimiter::record(const std::string& key) {
  std::lock_guard lock(mutex_);
  recordLocked(key, clock_());
}

std::int64_t RateLimiter::take(const std::string& key) {
  std::lock_guard lock(mutex_);
  const std::int64_t now = clock_();
  const std::int64_t wait = blockedForLocked(key, now);
  if (wait == 0) recordLocked(key, now);
  return wait;
}

std::size_t RateLimiter::trackedKeys() {
  std::lock_guard lock(mutex_);
  return windows_.size();
}

std::int64_t RateLimiter::blockedForLocked(const std::string& key, std::int64_t now) {
  if (policy_.maxEvents <= 0) return 0;
  const auto it = windows_.find(key);
  if (it == windows_.end()) return 0;
  const std::int64_t end = it->second.start + policy_.windowSeconds;
  if (now >= end || it->second.count < policy_.maxEvents) return 0;
  return end - now;
}

void RateLimiter::recordLocked(const std::string& key, std::int64_t now) {
  if (policy_.maxEvents <= 0) return;
  auto it = windows_.find(key);
  if (it == windows_.end()) {
    makeRoom(now);
    it = windows_.emplace(key, Window{now, 0}).first;
  } else if (now >= it->second.start + policy_.windowSeconds) {
    it->second = Window{now, 0};
  }
  ++it->second.count;
}

void RateLimiter::makeRoom(std::int64_t now) {
  if (windows_.size() < maxKeys_) return;
  std::erase_if(windows_, [&](const auto& entry) { return now >= entry.second.start + policy_.windowSeconds; });
  // Still full: the oldest windows go first, as they are the nearest to ending anyway.
  while (windows_.size() >= maxKeys_) {
    const auto oldest = std::min_element(windows_.begin(), windows_.end(), [](const auto& a, const auto& b) {
      return a.second.start < b.second.start;
    });
    windows_.erase(oldest);
  }
}

}  // namespace corvane::backend
