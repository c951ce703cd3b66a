#include "password_input.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>

namespace corvane::cli {

namespace {

std::string withoutLineEnding(std::string line) {
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  return line;
}

}  // namespace

std::optional<std::string> readPasswordLine() {
  std::string line;
  char c = 0;
  // Bounded: standard input may be a file or a device that never ends a line (/dev/zero).
  while (std::cin.get(c) && c != '\n') {
    if (line.size() == kMaxPasswordBytes) {
      std::cerr << "corvanectl: the password on standard input is longer than " << kMaxPasswordBytes
                << " bytes\n";
      return std::nullopt;
    }
    line.push_back(c);
  }
  if (line.empty() && !std::cin) return std::nullopt;
  return withoutLineEnding(std::move(line));
}

std::optional<std::string> promptPassword(const std::string& prompt) {
  const int fd = ::open("/dev/tty", O_RDWR | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  termios saved{};
  const bool isTerminal = ::tcgetattr(fd, &saved) == 0;
  if (isTerminal) {
    termios quiet = saved;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    quiet.c_lflag |= ECHONL;
    ::tcsetattr(fd, TCSAFLUSH, &quiet);
  }
  (void)!::write(fd, prompt.data(), prompt.size());
  std::string line;
  char c = 0;
  // One byte at a time up to the line end; bounded so a stuck stream cannot grow forever.
  while (line.size() < kMaxPasswordBytes && ::read(fd, &c, 1) == 1 && c != '\n') line.push_back(c);
  if (isTerminal) ::tcsetattr(fd, TCSAFLUSH, &saved);
  ::close(fd);
  return withoutLineEnding(std::move(line));
}

std::optional<std::string> obtainPassword(bool fromStdin, const std::string& prompt) {
  return fromStdin ? readPasswordLine() : promptPassword(prompt);
}

}  // namespace corvane::cli
