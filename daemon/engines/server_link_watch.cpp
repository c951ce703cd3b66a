#include "daemon/engines/server_link_watch.h"

#include <fmt/format.h>

#include <algorithm>

namespace corvane::daemon::engines {

std::optional<std::string> ServerLinkWatch::start(const std::vector<engine::ServerEndpoint>& endpoints,
                                                  std::uint32_t mark, LostCallback onLost) {
  stop();
  if (endpoints.empty()) return std::nullopt;
  // Subscribed before the routes are looked up, so a link lost in between is still heard of.
  auto watch = net::LinkWatch::open();
  std::string why;
  for (const auto& endpoint : endpoints) {
    auto link = net::LinkWatch::linkToward(endpoint.address, mark);
    if (!link) {
      why = fmt::format("no way to the server {}: {}", endpoint.address, link.error().description);
      continue;
    }
    if (!net::LinkWatch::linkRunning(*link)) {
      why = fmt::format("no way to the server {}: {} is down", endpoint.address, *link);
      continue;
    }
    if (std::find(links_.begin(), links_.end(), *link) == links_.end()) links_.push_back(*link);
  }
  if (links_.empty()) return why;
  // Without the subscription the loss shows later (the program's exit, a missed handshake).
  if (!watch) return std::nullopt;
  watch_.emplace(std::move(*watch));
  onLost_ = std::move(onLost);
  watchId_ = loop_.watchReadable(watch_->fd(), [this] { onReadable(); });
  return std::nullopt;
}

void ServerLinkWatch::onReadable() {
  if (!watch_) return;
  auto lost = watch_->drainLost(links_, true);
  if (!lost || !onLost_) return;
  auto onLost = std::move(onLost_);
  auto why = fmt::format("{} went down, and with it the way to the server", *lost);
  stop();
  // This object may be destroyed by the callback; nothing of it is used afterwards.
  onLost(std::move(why));
}

void ServerLinkWatch::stop() {
  if (watchId_ != 0) loop_.unwatch(watchId_);
  watchId_ = 0;
  watch_.reset();
  links_.clear();
  onLost_ = nullptr;
}

}  // namespace corvane::daemon::engines
