#pragma once
// The "Oops!" alert: a modal with one "OK" button whose message is the text the backend
// client stored for the last sign-up or password reset ("signupmsg", "resetpasswordmsg").
#include <optional>
#include <string>
#include <string_view>

namespace corvane::screenkit {

struct OopsAlert {
  static constexpr std::string_view title = "Oops!";
  static constexpr std::string_view button = "OK";
};

// The message as shown. Older clients stored optionals by their description, so a stored
// text may arrive as Optional(...). Only such a wrapping pair is removed (repeatedly, for a
// doubly wrapped value); parentheses that belong to the message itself stay, so "Password
// too short (min 8)" is shown whole. An absent text gives an empty message.
std::string oopsMessage(const std::optional<std::string>& stored);

}  // namespace corvane::screenkit
