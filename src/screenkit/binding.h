#pragma once
// A two-way reference to a value that another model owns, as when a container hands its
// side-menu flag to the screen it shows. Setting goes through the owner, so the owner's
// reaction to the change (a log-out when the selection becomes 4) runs as it should.
#include <functional>
#include <utility>

namespace corvane::screenkit {

template <typename T>
class Binding {
 public:
  Binding() = default;
  Binding(std::function<T()> get, std::function<void(T)> set)
      : get_(std::move(get)), set_(std::move(set)) {}

  // A binding to a plain field with no owner reaction.
  static Binding to(T& value) {
    return Binding([&value] { return value; }, [&value](T v) { value = std::move(v); });
  }

  T get() const { return get_(); }
  void set(T value) const { set_(std::move(value)); }
  explicit operator bool() const { return static_cast<bool>(get_); }

 private:
  std::function<T()> get_;
  std::function<void(T)> set_;
};

}  // namespace corvane::screenkit
