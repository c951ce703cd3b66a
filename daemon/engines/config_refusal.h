#pragma once
// How an engine's configuration check reports a refusal: one error value whose description
// names the offending line or key and quotes it, so the user (and the log) can see which
// part of a server's text was not accepted.
#include <string>
#include <string_view>

#include "platform/core/error.h"

namespace corvane::daemon::engines {

inline constexpr std::string_view kConfigRefusedDomain = "configRefused";

inline Error configRefused(std::string description) {
  return Error(std::string(kConfigRefusedDomain), 0, std::move(description));
}

// Quotes outside text for a message: at most 60 characters, control bytes shown as '?',
// so a hostile configuration cannot forge log lines or flood them.
std::string excerpt(std::string_view text);

}  // namespace corvane::daemon::engines
