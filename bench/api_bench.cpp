// A login round trip returning a catalogue of 1,000 servers, against the reference backend on
// loopback, three ways in one run:
//   BareCurlPost   the same POST on one reused libcurl easy handle, body collected, no decoding
//   LoaderPost     the same POST through CurlUrlLoader (worker thread, callback hand-off)
//   ApiClientLogin ApiClient::login end to end: body, loader, standard answer rule, User decode
//                  of the 1,000 servers, and the three preference writes
// Each iteration is timed on its own; the counters give the median and p99 in microseconds.
// LargeLogin gives the 10,000-server answer's bytes on the wire and its fetch and decode times,
// with and without compression. SideBySide takes the three in turn in every round (fairest on a busy machine) and reports
// the ratios to the bare POST; DecodeUser times the decoding of the same answer alone.
//
//   build/bin/api_bench --benchmark_counters_tabular=true
#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <future>
#include <memory>
#include <vector>

#include "api/api_client.h"
#include "api/records/record_decoders.h"
#include "api/request_bodies.h"
#include "keys/preference_key.h"
#include "common/backend_launcher.h"
#include "platform/device/fixed_device_info.h"
#include "platform/preferences/sqlite/sqlite_preference_store.h"
#include "platform/secitem/file/file_sec_item_backend.h"
#include "platform/url/curl_url_loader.h"
#include "securestore/keychain_store.h"

namespace {

using namespace corvane;
using Clock = std::chrono::steady_clock;

constexpr const char* kUsername = "demo@corvane.test";
constexpr const char* kPassword = "corvane-demo-2026";
constexpr int kServers = 1000;


// Everything one run shares: the backend and the client's services.
struct World {
  bench::BackendLauncher backend{{"--demo", "--demo-servers", std::to_string(kServers), "--hash-cost", "minimal"}};
  std::filesystem::path folder = std::filesystem::temp_directory_path() / ("corvane-api-bench-" + std::to_string(::getpid()));
  platform::Log log = platform::Log::null();
  std::unique_ptr<platform::SqlitePreferenceStore> preferences;
  std::unique_ptr<platform::FileSecItemBackend> secItems;
  std::unique_ptr<securestore::KeychainStore> keychain;
  platform::FixedDeviceInfo device;
  std::unique_ptr<platform::CurlUrlLoader> loader;
  std::unique_ptr<api::ApiClient> client;
  std::string body;
  std::string url;

  World() {
    std::filesystem::create_directories(folder);
    auto store = platform::SqlitePreferenceStore::open(folder / "preferences.db", log);
    preferences = std::move(store.value());
    secItems = std::make_unique<platform::FileSecItemBackend>(folder / "keychain.db", log);
    keychain = std::make_unique<securestore::KeychainStore>(*secItems, log, std::string("Corvane"));
    preferences->setString(keys::pref::domainLink.key, backend.domain());
    loader = std::make_unique<platform::CurlUrlLoader>(platform::CurlUrlLoader::Options{}, log);
    client = std::make_unique<api::ApiClient>(*preferences, *keychain, device, *loader, log,
                                              api::ApiClient::Options{"127.0.0.1:1"});
    body = *api::serializeBody(api::loginBody(kUsername, kPassword, device.makeVendorIdentifier(), device));
    url = "http://" + backend.domain() + "/app-api-v1/login";
    warmUp();
  }

  // The backend's first logins fill its caches; none of the three ways should pay for that.
  void warmUp() {
    for (int i = 0; i < 20; ++i) {
      std::promise<void> done;
      loader->dataTask(platform::UrlRequest::post(url, body), [&](Result<platform::UrlResponse>) { done.set_value(); });
      done.get_future().wait();
    }
  }
  ~World() {
    client.reset();
    loader.reset();
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }
};

World& world() {
  static World instance;
  return instance;
}

void report(benchmark::State& state, std::vector<double>& micros) {
  std::sort(micros.begin(), micros.end());
  if (micros.empty()) return;
  state.counters["median_us"] = micros[micros.size() / 2];
  state.counters["p99_us"] = micros[std::min(micros.size() - 1, micros.size() * 99 / 100)];
}

std::size_t collect(char* data, std::size_t size, std::size_t count, void* user) {
  static_cast<std::string*>(user)->append(data, size * count);
  return size * count;
}

// The bare way: one curl handle that POSTs `body` (JSON, no "Expect: 100-continue") to `url`
// each time it is performed, its answer collected into `answer`. `url` and `body` must
// outlive it.
struct BarePost {
  BarePost(const std::string& url, const std::string& body) {
    headers = curl_slist_append(headers, "Expect:");
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(easy, CURLOPT_POSTFIELDS, body.c_str());
    curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE, static_cast<long>(body.size()));
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &collect);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &answer);
  }
  BarePost(const BarePost&) = delete;
  BarePost& operator=(const BarePost&) = delete;
  ~BarePost() {
    curl_slist_free_all(headers);
    curl_easy_cleanup(easy);
  }
  CURLcode perform() {
    answer.clear();
    return curl_easy_perform(easy);
  }

  CURL* easy = curl_easy_init();
  curl_slist* headers = curl_slist_append(nullptr, "Content-Type: application/json");
  std::string answer;
};

void BareCurlPost(benchmark::State& state) {
  World& w = world();
  BarePost post(w.url, w.body);
  std::string& answer = post.answer;
  std::vector<double> micros;
  for (auto _ : state) {
    const auto start = Clock::now();
    const CURLcode code = post.perform();
    micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    if (code != CURLE_OK || answer.size() < 1000) state.SkipWithError("bare POST failed");
    benchmark::DoNotOptimize(answer.data());
  }
  state.counters["bytes"] = static_cast<double>(answer.size());
  report(state, micros);
}

void LoaderPost(benchmark::State& state) {
  World& w = world();
  std::vector<double> micros;
  for (auto _ : state) {
    std::promise<bool> done;
    const auto start = Clock::now();
    w.loader->dataTask(platform::UrlRequest::post(w.url, w.body), [&](Result<platform::UrlResponse> answer) {
      done.set_value(answer && answer->status == 200 && answer->body);
    });
    const bool ok = done.get_future().get();
    micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    if (!ok) state.SkipWithError("loader POST failed");
  }
  report(state, micros);
}

void ApiClientLogin(benchmark::State& state) {
  World& w = world();
  std::vector<double> micros;
  for (auto _ : state) {
    std::promise<std::size_t> done;
    const auto start = Clock::now();
    w.client->login(kUsername, kPassword, [&](Result<api::User> user) {
      done.set_value(user ? user->ipBundle->size() : 0);
    });
    const std::size_t servers = done.get_future().get();
    micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    if (servers != static_cast<std::size_t>(kServers)) state.SkipWithError("login did not return the catalogue");
  }
  report(state, micros);
}

// The three ways taken in turn within each round, so all of them see the same machine load;
// the ratios are of medians.
void SideBySide(benchmark::State& state) {
  World& w = world();
  BarePost post(w.url, w.body);
  std::vector<double> bare, loader, login;
  const auto since = [](Clock::time_point start) {
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
  };
  for (auto _ : state) {
    auto start = Clock::now();
    if (post.perform() != CURLE_OK) state.SkipWithError("bare POST failed");
    bare.push_back(since(start));

    std::promise<void> loaded;
    start = Clock::now();
    w.loader->dataTask(platform::UrlRequest::post(w.url, w.body), [&](Result<platform::UrlResponse>) { loaded.set_value(); });
    loaded.get_future().wait();
    loader.push_back(since(start));

    std::promise<std::size_t> signedIn;
    start = Clock::now();
    w.client->login(kUsername, kPassword, [&](Result<api::User> user) {
      signedIn.set_value(user ? user->ipBundle->size() : 0);
    });
    if (signedIn.get_future().get() != static_cast<std::size_t>(kServers)) state.SkipWithError("login failed");
    login.push_back(since(start));
  }
  const auto percentile = [](std::vector<double>& v, double p) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[std::min(v.size() - 1, static_cast<std::size_t>(static_cast<double>(v.size()) * p))];
  };
  const double bareMedian = percentile(bare, 0.5), loaderMedian = percentile(loader, 0.5),
               loginMedian = percentile(login, 0.5);
  state.counters["bare_med_us"] = bareMedian;
  state.counters["bare_p99_us"] = percentile(bare, 0.99);
  state.counters["loader_med_us"] = loaderMedian;
  state.counters["loader_p99_us"] = percentile(loader, 0.99);
  state.counters["login_med_us"] = loginMedian;
  state.counters["login_p99_us"] = percentile(login, 0.99);
  state.counters["loader_x_bare"] = loaderMedian / bareMedian;
  state.counters["login_x_bare"] = loginMedian / bareMedian;
}

// Decoding alone: the login answer of 1,000 servers into a User.
void DecodeUser(benchmark::State& state) {
  World& w = world();
  std::string answer;
  std::promise<void> loaded;
  w.loader->dataTask(platform::UrlRequest::post(w.url, w.body), [&](Result<platform::UrlResponse> response) {
    if (response && response->body) answer = std::move(*response->body);
    loaded.set_value();
  });
  loaded.get_future().wait();
  std::vector<double> micros;
  for (auto _ : state) {
    const auto start = Clock::now();
    auto user = api::decodeUser(answer);
    micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    if (!user) state.SkipWithError("decode failed");
    benchmark::DoNotOptimize(user);
  }
  report(state, micros);
}

// The login answer of 10,000 servers (some 25 MB as JSON) with and without compression: the
// bytes on the wire, the time to fetch it on loopback (where bandwidth is nearly free, so this
// is the cost side of compression; on a real link the wire bytes dominate), and the time to
// fetch and decode it into a User. Arg 0 asks for no encoding, arg 1 for any the loader
// accepts (as CurlUrlLoader asks).
void LargeLogin(benchmark::State& state) {
  constexpr int kLargeServers = 10'000;
  static bench::BackendLauncher backend{
      {"--demo", "--demo-servers", std::to_string(kLargeServers), "--hash-cost", "minimal"}};
  platform::FixedDeviceInfo device;
  const std::string body =
      *api::serializeBody(api::loginBody(kUsername, kPassword, device.makeVendorIdentifier(), device));
  const std::string url = "http://" + backend.domain() + "/app-api-v1/login";
  BarePost post(url, body);
  std::string& answer = post.answer;
  answer.reserve(std::size_t{64} << 20);
  if (state.range(0) == 1) curl_easy_setopt(post.easy, CURLOPT_ACCEPT_ENCODING, "");
  std::vector<double> fetch, decode;
  curl_off_t wire = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    const CURLcode code = post.perform();
    const auto fetched = Clock::now();
    auto user = api::decodeUser(answer);
    const auto decoded = Clock::now();
    fetch.push_back(std::chrono::duration<double, std::milli>(fetched - start).count());
    decode.push_back(std::chrono::duration<double, std::milli>(decoded - fetched).count());
    curl_easy_getinfo(post.easy, CURLINFO_SIZE_DOWNLOAD_T, &wire);
    if (code != CURLE_OK || !user || !user->ipBundle || user->ipBundle->size() != std::size_t{kLargeServers}) {
      state.SkipWithError("the large login failed");
    }
  }
  std::sort(fetch.begin(), fetch.end());
  std::sort(decode.begin(), decode.end());
  if (!fetch.empty()) {
    state.counters["wire_bytes"] = static_cast<double>(wire);
    state.counters["json_bytes"] = static_cast<double>(answer.size());
    state.counters["fetch_med_ms"] = fetch[fetch.size() / 2];
    state.counters["decode_med_ms"] = decode[decode.size() / 2];
  }
}

BENCHMARK(LargeLogin)->Arg(0)->Arg(1)->Iterations(10)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(SideBySide)->Iterations(400)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(DecodeUser)->Iterations(200)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BareCurlPost)->Iterations(400)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(LoaderPost)->Iterations(400)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(ApiClientLogin)->Iterations(400)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
