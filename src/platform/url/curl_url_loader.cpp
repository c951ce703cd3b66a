#include "platform/url/curl_url_loader.h"

#include <curl/curl.h>

#include <cstdlib>
#include <exception>
#include <mutex>
#include <string>

#include "corvane/build_config.h"
#include "platform/url/extra_ca.h"

namespace corvane::platform {

struct CurlUrlLoader::Transfer {
  UrlRequest request;
  Completion completion;
  CURL* easy = nullptr;
  curl_slist* headers = nullptr;
  std::string body;
  std::size_t maxBodyBytes = 0;
  bool bodyTooLarge = false;
  char errorBuffer[CURL_ERROR_SIZE] = {};

  ~Transfer() {
    if (easy != nullptr) {
      curl_easy_cleanup(easy);
    }
    curl_slist_free_all(headers);
  }
};

namespace {

CURLM* asMulti(void* multi) { return static_cast<CURLM*>(multi); }

constexpr long kMaxRedirects = 5;

std::size_t appendBody(char* data, std::size_t size, std::size_t count, void* user) {
  auto* transfer = static_cast<CurlUrlLoader::Transfer*>(user);
  const std::size_t bytes = size * count;
  if (transfer->body.empty()) {
    curl_off_t expected = -1;
    curl_easy_getinfo(transfer->easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &expected);
    if (expected > 0 && static_cast<std::size_t>(expected) <= transfer->maxBodyBytes) {
      transfer->body.reserve(static_cast<std::size_t>(expected) + CurlUrlLoader::kBodySlack);
    }
  }
  if (transfer->body.size() + bytes > transfer->maxBodyBytes) {
    transfer->bodyTooLarge = true;
    return 0;  // makes libcurl end the transfer with CURLE_WRITE_ERROR
  }
  transfer->body.append(data, bytes);
  return bytes;
}

CURLcode addExtraCa(CURL* /*easy*/, void* sslContext, void* user) {
  static_cast<const ExtraCa*>(user)->addTo(static_cast<SSL_CTX*>(sslContext));
  return CURLE_OK;
}

long wholeSecondsAtLeastOne(UrlRequest::Milliseconds ms) {
  return static_cast<long>((ms.count() + 999) / 1000);
}

Error transportError(CURLcode code, const char* detail) {
  std::string text = curl_easy_strerror(code);
  if (detail != nullptr && detail[0] != '\0') {
    text += ": ";
    text += detail;
  }
  return Error(kUrlErrorDomain, code, std::move(text));
}

}  // namespace

CurlUrlLoader::Options CurlUrlLoader::Options::fromEnvironment() {
  Options options;
  if (const char* file = std::getenv("CORVANE_CA_FILE"); file != nullptr && file[0] != '\0') {
    options.extraCaFile = file;
  }
  return options;
}

CurlUrlLoader::CurlUrlLoader(Options options, Log log) : options_(std::move(options)), log_(std::move(log)) {
  static std::once_flag globalInit;
  std::call_once(globalInit, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });

  if (options_.extraCaFile) {
    auto ca = ExtraCa::load(*options_.extraCaFile);
    if (ca) {
      extraCa_ = std::move(*ca);
    } else {
      // Only the system CAs are trusted then; requests to a self-signed host fail verification.
      log_.error("Extra CA not loaded: " + ca.error().description);
    }
  }

  multi_ = curl_multi_init();
  // Keep a few idle connections per host so sequential API calls skip the TCP handshake.
  curl_multi_setopt(asMulti(multi_), CURLMOPT_MAXCONNECTS, 16L);
  worker_ = std::thread([this] { run(); });
}

CurlUrlLoader::~CurlUrlLoader() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  curl_multi_wakeup(asMulti(multi_));
  worker_.join();
  curl_multi_cleanup(asMulti(multi_));
}

void CurlUrlLoader::dataTask(UrlRequest request, Completion completion) {
  auto transfer = std::make_unique<Transfer>();
  transfer->request = std::move(request);
  transfer->completion = std::move(completion);
  transfer->maxBodyBytes = options_.maxBodyBytes;
  if (transfer->request.maxBodyBytes && *transfer->request.maxBodyBytes < transfer->maxBodyBytes) {
    transfer->maxBodyBytes = *transfer->request.maxBodyBytes;
  }
  {
    std::lock_guard lock(mutex_);
    if (!finished_) {
      incoming_.push_back(std::move(transfer));
      transfer = nullptr;
    }
  }
  if (transfer) {
    // The worker has gone: complete here, so that no request is ever left without an answer.
    deliver(*transfer, Error(kUrlErrorDomain, CURLE_ABORTED_BY_CALLBACK, "the URL loader shut down"));
    return;
  }
  curl_multi_wakeup(asMulti(multi_));
}

void CurlUrlLoader::async(std::function<void()> task) {
  {
    std::lock_guard lock(mutex_);
    if (!finished_) {
      tasks_.push_back(std::move(task));
      task = nullptr;
    }
  }
  if (task) {
    runGuarded(task);  // the worker has gone; the task's completion still has to happen
    return;
  }
  curl_multi_wakeup(asMulti(multi_));
}

void CurlUrlLoader::start(std::unique_ptr<Transfer> transfer) {
  CURL* easy = curl_easy_init();
  if (easy == nullptr) {
    deliver(*transfer, Error(kUrlErrorDomain, CURLE_OUT_OF_MEMORY, "cannot create a transfer"));
    return;
  }
  transfer->easy = easy;
  const UrlRequest& request = transfer->request;

  curl_easy_setopt(easy, CURLOPT_URL, request.url.c_str());
  curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  if (request.method == "GET") {
    // GETs follow redirects as a browser's loader would, a few hops at most (a domain source
    // moved to a new address answers 301; without following it, the redirect page's HTML
    // would be taken for the answer). Never from https down to http: a redirect must not
    // strip TLS from a request that asked for it. POSTs report a redirect as it came.
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, kMaxRedirects);
    const bool secure = request.url.rfind("https:", 0) == 0 || request.url.rfind("HTTPS:", 0) == 0;
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, secure ? "https" : "http,https");
  } else {
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
  }
  // Every encoding this libcurl decodes (gzip, deflate, br, zstd here): a catalogue of
  // thousands of servers shrinks tenfold. The body limit applies to the decoded bytes, so
  // a small compressed bomb cannot fill memory.
  curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, "");
  curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
  if (extraCa_) {
    curl_easy_setopt(easy, CURLOPT_SSL_CTX_FUNCTION, &addExtraCa);
    curl_easy_setopt(easy, CURLOPT_SSL_CTX_DATA, const_cast<ExtraCa*>(extraCa_.get()));
  }
  curl_easy_setopt(easy, CURLOPT_USERAGENT, (std::string("corvane/") + build::kVersion).c_str());
  curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, transfer->errorBuffer);
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &appendBody);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, transfer.get());
  curl_easy_setopt(easy, CURLOPT_PRIVATE, transfer.get());

  curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, static_cast<long>(request.totalTimeout.count()));
  curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(request.connectTimeout.count()));
  if (request.freshConnection) {
    curl_easy_setopt(easy, CURLOPT_FRESH_CONNECT, 1L);
    curl_easy_setopt(easy, CURLOPT_FORBID_REUSE, 1L);
  }
  if (request.stallTimeout.count() > 0) {
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, wholeSecondsAtLeastOne(request.stallTimeout));
  }

  for (const auto& [name, value] : request.headers) {
    transfer->headers = curl_slist_append(transfer->headers, (name + ": " + value).c_str());
  }
  // libcurl would otherwise ask large POSTs to wait for "100 Continue", costing a round trip.
  transfer->headers = curl_slist_append(transfer->headers, "Expect:");
  curl_easy_setopt(easy, CURLOPT_HTTPHEADER, transfer->headers);

  if (request.method == "POST") {
    const std::string& body = request.body ? *request.body : std::string();
    curl_easy_setopt(easy, CURLOPT_POST, 1L);
    curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
    curl_easy_setopt(easy, CURLOPT_POSTFIELDS, request.body ? request.body->c_str() : "");
  } else if (request.method != "GET") {
    curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, request.method.c_str());
  }

  const CURLMcode added = curl_multi_add_handle(asMulti(multi_), easy);
  if (added != CURLM_OK) {
    deliver(*transfer, Error(kUrlErrorDomain, CURLE_FAILED_INIT, curl_multi_strerror(added)));
    return;
  }
  active_.emplace(easy, std::move(transfer));
}

void CurlUrlLoader::finish(void* easy, int code) {
  auto found = active_.find(easy);
  if (found == active_.end()) {
    return;
  }
  std::unique_ptr<Transfer> transfer = std::move(found->second);
  active_.erase(found);
  curl_multi_remove_handle(asMulti(multi_), transfer->easy);

  const auto result = static_cast<CURLcode>(code);
  if (result != CURLE_OK) {
    if (transfer->bodyTooLarge) {
      deliver(*transfer, transportError(result, ("answer larger than " + std::to_string(transfer->maxBodyBytes) +
                                                 " bytes").c_str()));
    } else {
      deliver(*transfer, transportError(result, transfer->errorBuffer));
    }
    return;
  }
  UrlResponse response;
  curl_easy_getinfo(transfer->easy, CURLINFO_RESPONSE_CODE, &response.status);
  if (!transfer->body.empty()) {
    response.body = std::move(transfer->body);
  }
  deliver(*transfer, std::move(response));
}

void CurlUrlLoader::deliver(Transfer& transfer, Result<UrlResponse> result) {
  Completion completion = std::move(transfer.completion);
  if (completion) {
    runGuarded([&] { completion(std::move(result)); });
  }
}

void CurlUrlLoader::runGuarded(const std::function<void()>& task) {
  try {
    task();
  } catch (const std::exception& e) {
    // A throwing completion must not take the loader's thread (and every other request) down.
    log_.error(std::string("URL completion threw: ") + e.what());
  } catch (...) {
    log_.error("URL completion threw");
  }
}

void CurlUrlLoader::shutDown(std::vector<std::unique_ptr<Transfer>> starting) {
  // Every request still gets its one completion, as an error. Those completions may start
  // new requests or post more work (a retry, the next step of a chain): they are completed
  // here too, round after round, instead of being left in a queue nobody reads any more.
  const Error shutDownError(kUrlErrorDomain, CURLE_ABORTED_BY_CALLBACK, "the URL loader shut down");
  for (auto& [easy, transfer] : active_) {
    curl_multi_remove_handle(asMulti(multi_), transfer->easy);
    starting.push_back(std::move(transfer));
  }
  active_.clear();
  for (int round = 0;; ++round) {
    for (auto& transfer : starting) {
      deliver(*transfer, shutDownError);
    }
    starting.clear();
    std::vector<std::function<void()>> tasks;
    {
      std::lock_guard lock(mutex_);
      starting.swap(incoming_);
      tasks.swap(tasks_);
      // A completion that starts a new request on every failure would keep this going for
      // ever; past this many rounds the callers' own threads complete what they start.
      if ((starting.empty() && tasks.empty()) || round == kShutdownRounds) {
        finished_ = true;
      }
    }
    for (const auto& task : tasks) {
      runGuarded(task);
    }
    if (finished_ && starting.empty()) return;
    if (round == kShutdownRounds) {
      log_.error("URL loader shut down while completions kept starting requests");
    }
  }
}

void CurlUrlLoader::run() {
  CURLM* multi = asMulti(multi_);
  for (;;) {
    std::vector<std::unique_ptr<Transfer>> starting;
    std::vector<std::function<void()>> tasks;
    bool stopping = false;
    {
      std::lock_guard lock(mutex_);
      starting.swap(incoming_);
      tasks.swap(tasks_);
      stopping = stopping_;
    }
    for (const auto& task : tasks) {
      runGuarded(task);
    }
    if (stopping) {
      shutDown(std::move(starting));
      return;
    }
    for (auto& transfer : starting) {
      start(std::move(transfer));
    }

    int running = 0;
    curl_multi_perform(multi, &running);
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
      if (message->msg == CURLMSG_DONE) {
        finish(message->easy_handle, message->data.result);
      }
    }
    // Wakes for socket activity, for libcurl's own timers, or for curl_multi_wakeup from
    // dataTask and the destructor; the 1 s cap only bounds a missed wake-up.
    int timeoutMs = 1000;
    long curlTimeout = -1;
    curl_multi_timeout(multi, &curlTimeout);
    if (curlTimeout >= 0 && curlTimeout < timeoutMs) {
      timeoutMs = static_cast<int>(curlTimeout);
    }
    if (timeoutMs > 0) {
      curl_multi_poll(multi, nullptr, 0, timeoutMs, nullptr);
    }
  }
}

}  // namespace corvane::platform
