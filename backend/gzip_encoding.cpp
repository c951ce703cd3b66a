#include "backend/gzip_encoding.h"

#include "backend/raw_deflate.h"

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

namespace {

// The fixed 10-byte gzip header: deflate, no flags, no time, OS 3 (Unix).
constexpr unsigned char kGzipHeader[] = {0x1f, 0x8b, 8, 0, 0, 0, 0, 0, 0, 3};

void appendLittleEndian32(std::string& out, unsigned long value) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>((value >> (8 * i)) & 0xff);
}

unsigned long crcOf(std::string_view data) {
  return crc32_z(crc32_z(0, nullptr, 0), reinterpret_cast<const Bytef*>(data.data()), data.size());
}

}  // namespace

std::optional<std::string> gzipCompress(std::string_view data) {
  auto deflated = rawDeflate(data, Z_FINISH);
  if (!deflated) return std::nullopt;
  std::string out(reinterpret_cast<const char*>(kGzipHeader), sizeof kGzipHeader);
  out += *deflated;
  appendLittleEndian32(out, crcOf(data));
  appendLittleEndian32(out, static_cast<unsigned long>(data.size() & 0xffffffffu));
  return out;
}

std::optional<std::string> gzipCompress(std::string_view data, std::size_t at, const DeflatedText& part) {
  if (at > data.size() || part.plainSize > data.size() - at) return std::nullopt;
  const std::string_view before = data.substr(0, at);
  const std::string_view after = data.substr(at + part.plainSize);
  // The part's blocks start from a fresh window, so what precedes them must end on a full
  // flush (byte aligned, nothing pending); they end on one too, so what follows can go on.
  auto head = rawDeflate(before, Z_FULL_FLUSH);
  auto tail = rawDeflate(after, Z_FINISH);
  if (!head || !tail) return std::nullopt;
  std::string out(reinterpret_cast<const char*>(kGzipHeader), sizeof kGzipHeader);
  out.reserve(out.size() + head->size() + part.deflated.size() + tail->size() + 8);
  out += *head;
  out += part.deflated;
  out += *tail;
  unsigned long crc = crc32_combine(crcOf(before), part.crc, static_cast<z_off_t>(part.plainSize));
  crc = crc32_combine(crc, crcOf(after), static_cast<z_off_t>(after.size()));
  appendLittleEndian32(out, crc);
  appendLittleEndian32(out, static_cast<unsigned long>(data.size() & 0xffffffffu));
  return out;
}

void compressIfAccepted(std::string_view acceptEncoding, HttpResponse& res) {
  if (res.body.size() < kMinCompressedBytes || res.body.size() > UINT32_MAX / 2) return;
  // Caches between client and server must keep the two forms apart.
  res.headers.emplace_back("Vary", "Accept-Encoding");
  if (!acceptsGzip(acceptEncoding)) return;
  auto compressed = res.precompressed ? gzipCompress(res.body, res.precompressedAt, *res.precompressed)
                                      : gzipCompress(res.body);
  if (!compressed) return;
  res.body = std::move(*compressed);
  res.headers.emplace_back("Content-Encoding", "gzip");
}

}  // namespace corvane::backend
