#pragma once
// Compression of large answers: a login with a catalogue of 10,000 servers is about 25 MB of
// JSON, which gzip shrinks many times over.
#include <optional>
#include <string>
#include <string_view>

#include "backend/deflated_text.h"
#include "backend/http_response.h"

namespace corvane::backend {

// True when an Accept-Encoding value accepts gzip: a "gzip" (or "x-gzip") coding, or "*",
// whose q-value is not 0. Tokens compare without regard to case.
bool acceptsGzip(std::string_view acceptEncoding);

// The gzip stream (RFC 1952) of `data`, or nothing when zlib fails.
std::optional<std::string> gzipCompress(std::string_view data);
// The gzip stream of `data`, whose bytes from `at` are `part`'s plain text, with `part`'s
// deflated form spliced in; nothing when zlib fails or `part` does not fit in `data`.
std::optional<std::string> gzipCompress(std::string_view data, std::size_t at, const DeflatedText& part);

// Compresses `res` in place when the client accepts gzip and the body is at least
// kMinCompressedBytes; below that the header costs more than it saves.
void compressIfAccepted(std::string_view acceptEncoding, HttpResponse& res);
inline constexpr std::size_t kMinCompressedBytes = 1024;

}  // namespace corvane::backend
