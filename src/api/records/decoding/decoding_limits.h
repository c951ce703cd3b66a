#pragma once
// Bounds on what a backend answer may make the decoder do. Answers come from the network, so
// a hostile or broken server must get a clean error, never an exhausted process.
#include <cstddef>

namespace corvane::api {

// The largest answer accepted. A catalogue of 10,000 servers with 2 KB configurations is
// about 25 MB; the parser's working memory is a small multiple of the document size.
inline constexpr std::size_t kMaxDocumentBytes = 64u * 1024u * 1024u;

// Nesting depth of arrays and objects. The records nest four levels at most
// (User > in_app_payment_page_data > iapp_ios_packages > InAppVPN); the margin is for unknown
// keys, which are validated but skipped.
inline constexpr std::size_t kMaxDepth = 128;

// Elements in one decoded list. Each IPBundle takes about 700 bytes in memory but only 3 bytes
// ("{},") on the wire, so without a bound a 64 MiB answer could ask for gigabytes.
inline constexpr std::size_t kMaxListLength = 100'000;

}  // namespace corvane::api
