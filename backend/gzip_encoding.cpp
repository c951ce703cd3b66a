#include "backend/gzip_encoding.h"

#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace corvane::backend {
namespace {

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

// The q-value of one coding's parameters ("q=0.5"); 1 when absent, 0 when unreadable.
double qValue(std::string_view params) {
  while (!params.empty()) {
    const size_t semi = params.find(';');
    const std::string_view param = trimmed(params.substr(0, semi));
    params = semi == std::string_view::npos ? std::string_view() : params.substr(semi + 1);
    if (param.size() >= 2 && (param[0] == 'q' || param[0] == 'Q') && param[1] == '=') {
      const std::string value(trimmed(param.substr(2)));
      char* end = nullptr;
      const double q = std::strtod(value.c_str(), &end);
      return end && *end == '\0' && !value.empty() ? q : 0.0;
    }
  }
  return 1.0;
}

}  // namespace

bool acceptsGzip(std::string_view acceptEncoding) {
  bool star = false;
  std::optional<bool> gzip;
  while (!acceptEncoding.empty()) {
    const size_t comma = acceptEncoding.find(',');
    const std::string_view item = acceptEncoding.substr(0, comma);
    acceptEncoding = comma == std::string_view::npos ? std::string_view() : acceptEncoding.substr(comma + 1);
    const size_t semi = item.find(';');
    const std::string_view coding = trimmed(item.substr(0, semi));
    const double q = semi == std::string_view::npos ? 1.0 : qValue(item.substr(semi + 1));
    if (equalsNoCase(coding, "gzip") || equalsNoCase(coding, "x-gzip")) gzip = q > 0;
    if (coding == "*") star = q > 0;
  }
  // An explicit "gzip;q=0" refuses gzip even when "*" would accept it.
  return gzip.value_or(star);
}

std::optional<std::string> gzipCompress(std::string_view data) {
  z_stream z{};
  // 15 window bits plus 16 asks zlib for the gzip wrapper instead of the zlib one.
  if (deflateInit2(&z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
    return std::nullopt;
  }
  std::string out(deflateBound(&z, static_cast<uLong>(data.size())), '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  z.avail_in = static_cast<uInt>(data.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  const int rc = deflate(&z, Z_FINISH);
  const size_t written = out.size() - z.avail_out;
  deflateEnd(&z);
  if (rc != Z_STREAM_END) return std::nullopt;
  out.resize(written);
  return out;
}

void compressIfAccepted(std::string_view acceptEncoding, HttpResponse& res) {
  if (res.body.size() < kMinCompressedBytes || res.body.size() > UINT32_MAX / 2) return;
  // Caches between client and server must keep the two forms apart.
  res.headers.emplace_back("Vary", "Accept-Encoding");
  if (!acceptsGzip(acceptEncoding)) return;
  auto compressed = gzipCompress(res.body);
  if (!compressed) return;
  res.body = std::move(*compressed);
  res.headers.emplace_back("Content-Encoding", "gzip");
}

}  // namespace corvane::backend
