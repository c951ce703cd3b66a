#pragma once
// A private X server for one test program: Xvfb on a display number it picks itself,
// reached only through its local socket, stopped with the program.
#include <sys/types.h>

#include <optional>
#include <string>

namespace corvane::test {

class XvfbDisplay {
 public:
  // None when Xvfb is not installed or did not start within five seconds.
  static std::optional<XvfbDisplay> start();
  XvfbDisplay(XvfbDisplay&& other) noexcept;
  XvfbDisplay& operator=(XvfbDisplay&&) = delete;
  ~XvfbDisplay();

  const std::string& display() const { return display_; }  // ":N"

 private:
  XvfbDisplay(pid_t pid, std::string display) : pid_(pid), display_(std::move(display)) {}
  pid_t pid_;
  std::string display_;
};

}  // namespace corvane::test
