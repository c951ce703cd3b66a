#pragma once
// An error value as the system passes it to completions: a domain text and an integer code,
// plus a human description for logs. Nothing is thrown across a completion; failures travel
// as these values.
#include <cstdint>
#include <string>
#include <utility>

namespace corvane {

struct Error {
  std::string domain;
  std::int64_t code = 0;
  std::string description;

  Error() = default;
  Error(std::string domainText, std::int64_t errorCode, std::string text = {})
      : domain(std::move(domainText)), code(errorCode), description(std::move(text)) {}

  // "domain code: description", the form used in log lines.
  std::string toString() const;

  friend bool operator==(const Error& a, const Error& b) {
    return a.domain == b.domain && a.code == b.code;
  }
};

}  // namespace corvane
