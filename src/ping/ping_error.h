#pragma once
// Every way an echo, a resolution or a socket set-up can fail. Seven cases carry values
// (their labels are the accessor names); the rest carry none. Two errors are equal when case
// and values are equal.
#include <cstdint>
#include <string>

#include "platform/core/error.h"

namespace corvane::ping {

class PingError {
 public:
  enum class Case : std::uint8_t {
    invalidLength,
    checksumMismatch,
    invalidType,
    invalidCode,
    identifierMismatch,
    invalidSequenceIndex,
    socketOptionsSetError,
    responseTimeout,
    unknownHostError,
    addressLookupError,
    hostNotFound,
    addressMemoryError,
    requestError,
    requestTimeout,
    checksumOutOfBounds,
    unexpectedPayloadLength,
    packageCreationFailed,
    socketNil,
    invalidHeaderOffset,
  };

  // A case without values. The cases with values are made by the named functions below.
  explicit PingError(Case kind) : kind_(kind) {}

  static PingError invalidLength(std::int64_t received) {
    return {Case::invalidLength, received, 0};
  }
  static PingError checksumMismatch(std::uint16_t received, std::uint16_t calculated) {
    return {Case::checksumMismatch, received, calculated};
  }
  static PingError invalidType(std::uint8_t received) { return {Case::invalidType, received, 0}; }
  static PingError invalidCode(std::uint8_t received) { return {Case::invalidCode, received, 0}; }
  static PingError identifierMismatch(std::uint16_t received, std::uint16_t expected) {
    return {Case::identifierMismatch, received, expected};
  }
  static PingError invalidSequenceIndex(std::uint16_t received, std::uint16_t expected) {
    return {Case::invalidSequenceIndex, received, expected};
  }
  static PingError socketOptionsSetError(std::int32_t err) {
    return {Case::socketOptionsSetError, err, 0};
  }

  Case kind() const { return kind_; }
  // `received` of the cases that carry it.
  std::int64_t received() const { return first_; }
  // `expected` of identifierMismatch and invalidSequenceIndex.
  std::int64_t expected() const { return second_; }
  // `calculated` of checksumMismatch.
  std::int64_t calculated() const { return second_; }
  // `err` of socketOptionsSetError.
  std::int32_t err() const { return static_cast<std::int32_t>(first_); }

  // The case's name, e.g. "responseTimeout".
  const char* name() const;
  // The name with its values, e.g. "checksumMismatch(received: 1, calculated: 2)".
  std::string description() const;
  // As a platform error value: domain "PingError", code the case's position.
  Error toError() const;

  friend bool operator==(const PingError&, const PingError&) = default;

 private:
  PingError(Case kind, std::int64_t first, std::int64_t second)
      : kind_(kind), first_(first), second_(second) {}

  Case kind_;
  std::int64_t first_ = 0;
  std::int64_t second_ = 0;
};

}  // namespace corvane::ping
