#include "daemon/probe/captive_probe.h"

#include <curl/curl.h>
#include <sys/socket.h>

namespace corvane::daemon::probe {
namespace {

struct SocketMark {
  std::uint32_t mark;
};

int markSocket(void* data, curl_socket_t fd, curlsocktype) {
  auto* mark = static_cast<SocketMark*>(data);
  setsockopt(fd, SOL_SOCKET, SO_MARK, &mark->mark, sizeof mark->mark);
  return CURL_SOCKOPT_OK;
}

std::size_t discard(char*, std::size_t size, std::size_t count, void*) { return size * count; }

bool fetch200(const std::string& url, std::uint32_t mark) {
  CURL* curl = curl_easy_init();
  if (!curl) return false;
  SocketMark socketMark{mark};
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  // Plain HTTP only: a probe that followed redirects or spoke other schemes would defeat
  // the point of detecting a captive portal.
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http");
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, 5000L);
  curl_easy_setopt(curl, CURLOPT_SOCKOPTFUNCTION, markSocket);
  curl_easy_setopt(curl, CURLOPT_SOCKOPTDATA, &socketMark);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, discard);
  curl_easy_setopt(curl, CURLOPT_MAXFILESIZE, 1024L * 1024L);
  long status = 0;
  bool ok = curl_easy_perform(curl) == CURLE_OK &&
            curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status) == CURLE_OK && status == 200;
  curl_easy_cleanup(curl);
  return ok;
}

}  // namespace

CaptiveProbe::~CaptiveProbe() {
  cancel();
  if (worker_.joinable()) worker_.join();
}

void CaptiveProbe::cancel() {
  std::lock_guard lock(shared_->mutex);
  ++shared_->current;
}

void CaptiveProbe::start(const std::string& url, Callback done) {
  std::uint64_t ticket = 0;
  {
    std::lock_guard lock(shared_->mutex);
    ticket = ++shared_->current;
  }
  // The previous probe ends by its own 5 s time-out at the latest.
  if (worker_.joinable()) worker_.join();
  worker_ = std::thread([this, url, mark = mark_, shared = shared_, ticket, done = std::move(done)] {
    bool ok = fetch200(url, mark);
    loop_.post([shared, ticket, ok, done] {
      {
        std::lock_guard lock(shared->mutex);
        if (shared->current != ticket) return;
      }
      done(ok);
    });
  });
}

}  // namespace corvane::daemon::probe
