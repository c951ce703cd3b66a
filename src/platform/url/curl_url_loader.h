#pragma once
// UrlLoader over libcurl. One worker thread drives a multi handle: every transfer runs there,
// connections are kept in the multi handle's cache and reused by later requests, and the
// completions run on that same thread, one at a time in the order the transfers finish. That
// thread is the loader's callback queue. A completion must not block it for long; it may start
// new data tasks. Destroying the loader from inside one of its completions is not allowed.
//
// TLS: peer and host verification are always on; nothing in this class turns them off. An
// extra CA (CORVANE_CA_FILE) is trusted in addition to the system bundle.
#include <atomic>
#include <cstddef>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <unordered_map>
#include <vector>

#include "platform/log/log.h"
#include "platform/url/url_loader.h"

namespace corvane::platform {

class ExtraCa;

class CurlUrlLoader final : public UrlLoader {
 public:
  struct Options {
    std::optional<std::filesystem::path> extraCaFile;
    // Answers larger than this fail with CURLE_WRITE_ERROR instead of filling memory. A
    // catalogue of thousands of servers stays far below it.
    std::size_t maxBodyBytes = std::size_t{64} << 20;

    // extraCaFile from CORVANE_CA_FILE (unset or empty: none).
    static Options fromEnvironment();
  };

  CurlUrlLoader(Options options, Log log);
  ~CurlUrlLoader() override;
  CurlUrlLoader(const CurlUrlLoader&) = delete;
  CurlUrlLoader& operator=(const CurlUrlLoader&) = delete;

  void dataTask(UrlRequest request, Completion completion) override;
  void async(std::function<void()> task) override;

  // Spare bytes reserved after a body of known length. JSON parsers that read in blocks may
  // look up to 64 bytes past the end; with this slack they parse the body in place.
  static constexpr std::size_t kBodySlack = 64;

  // True on the loader's worker (callback) thread.
  bool isCallbackThread() const { return std::this_thread::get_id() == worker_.get_id(); }

 // One request in flight (internal; public only for libcurl's C callbacks).
  struct Transfer;

 private:
  void run();
  void start(std::unique_ptr<Transfer> transfer);
  void finish(void* easy, int code);
  void deliver(Transfer& transfer, Result<UrlResponse> result);
  void runGuarded(const std::function<void()>& task);
  // Completes everything left at shutdown, including what those completions start.
  void shutDown(std::vector<std::unique_ptr<Transfer>> starting);

  static constexpr int kShutdownRounds = 1000;

  Options options_;
  Log log_;
  std::shared_ptr<const ExtraCa> extraCa_;
  void* multi_ = nullptr;  // CURLM*, kept opaque so this header needs no curl include

  std::mutex mutex_;
  std::vector<std::unique_ptr<Transfer>> incoming_;  // guarded by mutex_
  std::vector<std::function<void()>> tasks_;         // guarded by mutex_
  bool stopping_ = false;                            // guarded by mutex_
  // The worker has ended: new work is completed on the caller's thread.
  bool finished_ = false;                            // guarded by mutex_

  // Worker thread only.
  std::unordered_map<void*, std::unique_ptr<Transfer>> active_;

  std::thread worker_;
};

}  // namespace corvane::platform
