#pragma once
// The one reader and writer of the tunnel service's lines (see contract.h), used by the
// daemon and by every client. Reading is strict about types (a string where a number belongs
// is an error that names the field and quotes the value) and lenient about fields it does not
// know, so later additions do not break older readers.
//
// Not thread-safe: the reader keeps its parse buffer between lines. Use one per connection
// or per thread. The write functions are static and return the line with its newline.
#include <memory>
#include <string>
#include <string_view>

#include "platform/vpn/tunneld/contract.h"
#include "platform/vpn/tunneld/parsed_line.h"
#include "platform/vpn/tunneld/server_line.h"

namespace simdjson::dom {
class parser;
}

namespace corvane::platform::tunneld {

class LineCodec {
 public:
  LineCodec();
  ~LineCodec();
  LineCodec(const LineCodec&) = delete;
  LineCodec& operator=(const LineCodec&) = delete;

  // A request line, with or without its newline. Errors are badRequest, unknownOp or
  // tooLarge (over kMaxLineBytes).
  ParsedLine<Request> parseRequest(std::string_view line);
  // An answer or event line from the daemon.
  ParsedLine<ServerLine> parseServerLine(std::string_view line);

  static std::string write(const Request& request);
  static std::string write(const Answer& answer);
  static std::string write(const Event& event);

 private:
  std::unique_ptr<simdjson::dom::parser> parser_;
};

}  // namespace corvane::platform::tunneld
