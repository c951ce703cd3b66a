#pragma once
// The outcome of reading one line: the value, or the error to answer with. `id` is the
// request's id whenever the line got far enough to have one, so the error answer can carry it.
#include <cassert>
#include <cstdint>
#include <optional>
#include <utility>

#include "platform/vpn/tunneld/error_info.h"

namespace corvane::platform::tunneld {

template <typename T>
class ParsedLine {
 public:
  static ParsedLine success(T value) {
    ParsedLine p;
    p.value_ = std::move(value);
    return p;
  }
  static ParsedLine failure(std::optional<std::int64_t> id, ErrorInfo error) {
    ParsedLine p;
    p.id_ = id;
    p.error_ = std::move(error);
    return p;
  }

  explicit operator bool() const { return value_.has_value(); }
  T& operator*() { return *value_; }
  const T& operator*() const { return *value_; }
  T* operator->() { return &*value_; }
  const T* operator->() const { return &*value_; }
  std::optional<std::int64_t> id() const { return id_; }
  const ErrorInfo& error() const {
    assert(error_);
    return *error_;
  }

 private:
  std::optional<T> value_;
  std::optional<std::int64_t> id_;
  std::optional<ErrorInfo> error_;
};

}  // namespace corvane::platform::tunneld
