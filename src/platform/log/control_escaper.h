#pragma once
// Makes text from outside (server names, messages, device models) safe to write to a
// terminal or a log: control characters that a terminal acts on (ESC starting a sequence
// that sets the window title or clears the screen, BEL, backspace, carriage return, DEL, and
// the C1 controls such as U+009B, a one-character CSI) are written as visible "\u00XX"
// escapes instead. Line feeds and tabs pass unless `escapeLineBreaks` is set (a log line is
// one line). Everything else, valid UTF-8 or not, passes unchanged.
//
// Works on a stream of bytes: a UTF-8 sequence split between two feeds is still recognised.
#include <string>
#include <string_view>

namespace corvane::platform {

class ControlEscaper {
 public:
  explicit ControlEscaper(bool escapeLineBreaks = false) : escapeLineBreaks_(escapeLineBreaks) {}

  // Appends the safe form of `bytes` to `out`.
  void feed(std::string_view bytes, std::string& out);
  // Appends a byte held back at the end of the stream (a lone 0xC2).
  void finish(std::string& out);

  // The safe form of a whole text.
  static std::string escaped(std::string_view text, bool escapeLineBreaks = false);

 private:
  bool escapeLineBreaks_;
  bool heldC2_ = false;  // 0xC2 seen: the next byte decides whether it starts a C1 control
};

}  // namespace corvane::platform
