#include "backend/raw_deflate.h"

#include <zlib.h>

namespace corvane::backend {

std::optional<std::string> rawDeflate(std::string_view plain, int flush) {
  z_stream z{};
  // Negative window bits: no zlib or gzip wrapper, the caller writes the gzip frame.
  if (deflateInit2(&z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK) return std::nullopt;
  std::string out(deflateBound(&z, static_cast<uLong>(plain.size())) + 16, '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(plain.data()));
  z.avail_in = static_cast<uInt>(plain.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  const int rc = deflate(&z, flush);
  const bool done = flush == Z_FINISH ? rc == Z_STREAM_END : rc == Z_OK && z.avail_in == 0 && z.avail_out > 0;
  out.resize(out.size() - z.avail_out);
  deflateEnd(&z);
  if (!done) return std::nullopt;
  return out;
}

}  // namespace corvane::backend
