#pragma once
// For effects of operations that have no completion (announcements, the sign-out report):
// polls `condition` until it holds or the ceiling passes.
#include <chrono>
#include <thread>

namespace corvane::test {

template <typename Condition>
bool eventually(Condition condition, std::chrono::milliseconds ceiling = std::chrono::seconds(10)) {
  const auto deadline = std::chrono::steady_clock::now() + ceiling;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) {
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

}  // namespace corvane::test
