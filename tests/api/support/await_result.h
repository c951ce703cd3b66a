#pragma once
// Waits for one completion, with a ceiling so a lost completion fails the test instead of
// hanging it.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <optional>
#include <thread>

namespace corvane::test {

inline constexpr std::chrono::seconds kCompletionCeiling{20};

template <typename T>
class Awaited {
 public:
  // The callable to hand over as a completion. Records the value and the thread it ran on.
  auto completion() {
    return [this](T value) {
      thread_ = std::this_thread::get_id();
      promise_.set_value(std::move(value));
    };
  }

  // The delivered value; fails the test (and returns no value) when none arrives in time.
  std::optional<T> get() {
    if (future_.wait_for(kCompletionCeiling) != std::future_status::ready) {
      ADD_FAILURE() << "completion not called within " << kCompletionCeiling.count() << " s";
      return std::nullopt;
    }
    return future_.get();
  }

  // True when the completion has not run within `wait` (for "never completes" rules).
  bool stillPendingAfter(std::chrono::milliseconds wait) {
    return future_.wait_for(wait) == std::future_status::timeout;
  }

  std::thread::id thread() const { return thread_; }

 private:
  std::promise<T> promise_;
  std::future<T> future_ = promise_.get_future();
  std::thread::id thread_;
};

}  // namespace corvane::test
