#pragma once
// One request for the UrlLoader: method, URL, headers, optional body, and the time limits that
// keep it bounded. The defaults depend on the method (see UrlRequest::get / ::post).
#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace corvane::platform {

struct UrlRequest {
  using Milliseconds = std::chrono::milliseconds;

  // A GET's whole transfer is capped at two minutes: a server that trickles a byte now and
  // then would slip under the stall limit forever, and nothing may hang forever.
  static constexpr Milliseconds kGetTotalTimeout{120'000};
  // 15 s to open the TCP connection and finish the TLS handshake.
  static constexpr Milliseconds kGetConnectTimeout{15'000};
  // A GET that moves fewer than one byte per second for 30 s is abandoned.
  static constexpr Milliseconds kGetStallTimeout{30'000};
  // Every API POST has one 60-second limit for the whole exchange.
  static constexpr Milliseconds kPostTimeout{60'000};

  std::string method = "GET";
  std::string url;
  std::vector<std::pair<std::string, std::string>> headers;
  // No value sends no body at all (a POST with an empty body, Content-Length 0).
  std::optional<std::string> body;

  Milliseconds totalTimeout = kGetTotalTimeout;
  Milliseconds connectTimeout = kGetConnectTimeout;
  // Zero turns the stall check off (POSTs rely on their total limit alone).
  Milliseconds stallTimeout = kGetStallTimeout;
  // A smaller cap on the answer's size than the loader's own (never a larger one).
  std::optional<std::size_t> maxBodyBytes;
  // Opens a connection of its own and closes it afterwards. For requests whose answer depends
  // on the route taken (the public-address echo): a kept-alive connection may have been
  // opened through a tunnel that has since gone, or before one came up.
  bool freshConnection = false;

  static UrlRequest get(std::string url) {
    UrlRequest request;
    request.url = std::move(url);
    return request;
  }

  static UrlRequest post(std::string url, std::optional<std::string> body,
                         std::string contentType = "application/json") {
    UrlRequest request;
    request.method = "POST";
    request.url = std::move(url);
    request.body = std::move(body);
    request.headers.emplace_back("Content-Type", std::move(contentType));
    request.totalTimeout = kPostTimeout;
    request.connectTimeout = kPostTimeout;
    request.stallTimeout = Milliseconds{0};
    return request;
  }
};

}  // namespace corvane::platform
