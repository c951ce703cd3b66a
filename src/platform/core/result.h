#pragma once
// Result<T>: either a value or an Error. Result<void> carries only success or an Error.
// Checked with operator bool, as in `if (auto user = decodeUser(json)) use(*user);`.
// A layer with its own failure vocabulary names it as the second argument
// (the echo engine's `Result<T, PingError>`).
#include <cassert>
#include <optional>
#include <utility>
#include <variant>

#include "platform/core/error.h"

namespace corvane {

template <typename T, typename E = Error>
class [[nodiscard]] Result {
 public:
  Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}  // NOLINT(implicit)
  Result(E error) : state_(std::in_place_index<1>, std::move(error)) {}  // NOLINT(implicit)

  bool ok() const { return state_.index() == 0; }
  explicit operator bool() const { return ok(); }

  T& value() & { assert(ok()); return std::get<0>(state_); }
  const T& value() const& { assert(ok()); return std::get<0>(state_); }
  T&& value() && { assert(ok()); return std::get<0>(std::move(state_)); }
  T& operator*() & { return value(); }
  const T& operator*() const& { return value(); }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }

  const E& error() const { assert(!ok()); return std::get<1>(state_); }

 private:
  std::variant<T, E> state_;
};

template <typename E>
class [[nodiscard]] Result<void, E> {
 public:
  Result() = default;
  Result(E error) : error_(std::move(error)) {}  // NOLINT(implicit)

  static Result success() { return Result(); }

  bool ok() const { return !error_.has_value(); }
  explicit operator bool() const { return ok(); }
  const E& error() const { assert(!ok()); return *error_; }

 private:
  std::optional<E> error_;
};

}  // namespace corvane
