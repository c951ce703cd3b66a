#pragma once
// A value or the PingError that prevented it: what the engine's fallible operations return.
#include <cassert>
#include <utility>
#include <variant>

#include "ping/ping_error.h"

namespace corvane::ping {

template <typename T>
class [[nodiscard]] PingOutcome {
 public:
  PingOutcome(T value) : state_(std::in_place_index<0>, std::move(value)) {}  // NOLINT
  PingOutcome(PingError error) : state_(std::in_place_index<1>, error) {}     // NOLINT

  bool ok() const { return state_.index() == 0; }
  explicit operator bool() const { return ok(); }
  T& value() & { assert(ok()); return std::get<0>(state_); }
  const T& value() const& { assert(ok()); return std::get<0>(state_); }
  T&& value() && { assert(ok()); return std::get<0>(std::move(state_)); }
  T& operator*() & { return value(); }
  T* operator->() { return &value(); }
  const PingError& error() const { assert(!ok()); return std::get<1>(state_); }

 private:
  std::variant<T, PingError> state_;
};

}  // namespace corvane::ping
