#pragma once
// Everything corvanectl prints goes through this filter: server-supplied names, messages and
// device models may hold ESC or BEL sequences that would retitle the window, clear the
// screen or recolour the output. They are printed as visible "\u00XX" escapes instead (a
// valid escape inside JSON strings too, so --json output stays JSON).
//
// Installed over a stream for the life of the object; the stream's own buffer is put back
// (and flushed) afterwards.
#include <ostream>
#include <streambuf>
#include <string>

#include "platform/log/control_escaper.h"

namespace corvane::cli {

class EscapingStreamBuffer final : public std::streambuf {
 public:
  explicit EscapingStreamBuffer(std::ostream& stream);
  ~EscapingStreamBuffer() override;
  EscapingStreamBuffer(const EscapingStreamBuffer&) = delete;
  EscapingStreamBuffer& operator=(const EscapingStreamBuffer&) = delete;

 protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* data, std::streamsize count) override;
  int sync() override;

 private:
  std::ostream& stream_;
  std::streambuf* original_;
  platform::ControlEscaper escaper_;
  std::string scratch_;
};

}  // namespace corvane::cli
