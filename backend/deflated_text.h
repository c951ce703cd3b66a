#pragma once
// A text compressed once as raw deflate blocks that stand alone (a fresh window, ending on a
// full flush), so they can be spliced into any gzip stream at a byte boundary. The catalogue
// is the bulk of every login answer; compressing it once at start-up instead of at every
// login takes the cost of gzip off the login path.
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace corvane::backend {

struct DeflatedText {
  std::string deflated;       // raw deflate blocks, none of them final
  unsigned long crc = 0;      // CRC-32 of the plain text
  std::size_t plainSize = 0;

  // Nothing when zlib fails.
  static std::shared_ptr<const DeflatedText> compress(std::string_view plain);
};

}  // namespace corvane::backend
