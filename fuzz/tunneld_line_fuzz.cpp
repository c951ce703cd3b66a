// Feeds arbitrary bytes to the tunnel service's line reader, as the daemon reads a request
// and as a client reads an answer or event; whatever parses must write back and parse again
// to the same value.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/vpn/tunneld/line_codec.h"

using corvane::platform::tunneld::LineCodec;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  static LineCodec codec;
  if (auto request = codec.parseRequest(bytes)) {
    auto again = codec.parseRequest(LineCodec::write(*request));
    if (!again || !(*again == *request)) std::abort();
  }
  if (auto line = codec.parseServerLine(bytes)) {
    if (line->answer) (void)LineCodec::write(*line->answer);
    if (line->event) (void)LineCodec::write(*line->event);
  }
  return 0;
}
