#pragma once
// Passwords reach corvanectl only from a prompt without echo or from standard input
// (--password-stdin), never from argv, where every user of the machine can read them.
#include <cstddef>
#include <optional>
#include <string>

namespace corvane::cli {

// The longest password line read, from a prompt or from standard input.
inline constexpr std::size_t kMaxPasswordBytes = 4096;

// Reads one line from standard input, without its line ending. None at end of input, and
// (with a message on stderr) for a line longer than kMaxPasswordBytes.
std::optional<std::string> readPasswordLine();

// Prints `prompt` on the terminal and reads a line with echo turned off. None when there is
// no terminal to ask on.
std::optional<std::string> promptPassword(const std::string& prompt);

// --password-stdin → readPasswordLine(), otherwise promptPassword(prompt).
std::optional<std::string> obtainPassword(bool fromStdin, const std::string& prompt);

}  // namespace corvane::cli
