#pragma once
// Compression of large answers: a login with a catalogue of 10,000 servers is about 25 MB of
// JSON, which gzip shrinks many times over.
#include <optional>
#include <string>
#include <string_view>

#include "backend/http_response.h"

namespace corvane::backend {

// True when an Accept-Encoding value accepts gzip: a "gzip" (or "x-gzip") coding, or "*",
// whose q-value is not 0. Tokens compare without regard to case.
bool acceptsGzip(std::string_view acceptEncoding);

// The gzip stream (RFC 1952) of `data`, or nothing when zlib fails.
std::optional<std::string> gzipCompress(std::string_view data);

// Compresses `res` in place when the client accepts gzip and the body is at least
// kMinCompressedBytes; below that the header costs more than it saves.
void compressIfAccepted(std::string_view acceptEncoding, HttpResponse& res);
inline constexpr std::size_t kMinCompressedBytes = 1024;

}  // namespace corvane::backend
