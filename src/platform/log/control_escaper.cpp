#include "platform/log/control_escaper.h"

#include <cstdio>

namespace corvane::platform {
namespace {

void appendEscape(unsigned code, std::string& out) {
  char text[8];
  std::snprintf(text, sizeof text, "\\u%04X", code);
  out += text;
}

}  // namespace

void ControlEscaper::feed(std::string_view bytes, std::string& out) {
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (heldC2_) {
      heldC2_ = false;
      // U+0080..U+009F are 0xC2 0x80..0x9F in UTF-8.
      if (byte >= 0x80 && byte <= 0x9F) {
        appendEscape(byte, out);
        continue;
      }
      out += '\xC2';
    }
    if (byte == 0xC2) {
      heldC2_ = true;
    } else if (byte == '\n' || byte == '\t') {
      if (escapeLineBreaks_) {
        appendEscape(byte, out);
      } else {
        out += c;
      }
    } else if (byte < 0x20 || byte == 0x7F) {
      appendEscape(byte, out);
    } else {
      out += c;
    }
  }
}

void ControlEscaper::finish(std::string& out) {
  if (heldC2_) out += '\xC2';
  heldC2_ = false;
}

std::string ControlEscaper::escaped(std::string_view text, bool escapeLineBreaks) {
  ControlEscaper escaper(escapeLineBreaks);
  std::string out;
  out.reserve(text.size());
  escaper.feed(text, out);
  escaper.finish(out);
  return out;
}

}  // namespace corvane::platform
