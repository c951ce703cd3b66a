#pragma once
// Named notifications, posted with no object and no user information. `post` runs the
// observers on the posting thread, in the order they were added. An observer may remove
// itself or any other observer during a post: a removed observer is never called afterwards.
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::platform {

class NotificationCenter {
 public:
  using Observer = std::function<void()>;
  using Token = std::uint64_t;

  Token addObserver(std::string name, Observer observer);
  void removeObserver(Token token);
  void post(std::string_view name);

 private:
  struct Entry {
    Token token;
    std::string name;
    std::shared_ptr<Observer> observer;
  };
  std::mutex mutex_;
  std::vector<Entry> entries_;
  Token nextToken_ = 1;
};

// Removes its observer when destroyed, so a screen model cannot outlive its registration.
class ObserverRegistration {
 public:
  ObserverRegistration() = default;
  ObserverRegistration(NotificationCenter& center, NotificationCenter::Token token)
      : center_(&center), token_(token) {}
  ObserverRegistration(ObserverRegistration&& other) noexcept { *this = std::move(other); }
  ObserverRegistration& operator=(ObserverRegistration&& other) noexcept {
    if (this != &other) {
      reset();
      center_ = other.center_;
      token_ = other.token_;
      other.center_ = nullptr;
    }
    return *this;
  }
  ObserverRegistration(const ObserverRegistration&) = delete;
  ObserverRegistration& operator=(const ObserverRegistration&) = delete;
  ~ObserverRegistration() { reset(); }

  void reset() {
    if (center_ != nullptr) {
      center_->removeObserver(token_);
      center_ = nullptr;
    }
  }

 private:
  NotificationCenter* center_ = nullptr;
  NotificationCenter::Token token_ = 0;
};

}  // namespace corvane::platform
