// A login round trip returning a catalogue of 1,000 servers, against the reference backend on
// loopback, three ways in one run:
//   BareCurlPost   the same POST on one reused libcurl easy handle, body collected, no decoding
//   LoaderPost     the same POST through CurlUrlLoader (worker thread, callback hand-off)
//   ApiClientLogin ApiClient::login end to end: body, loader, standard answer rule, User decode
//                  of the 1,000 servers, and the three preference writes
// Each iteration is timed on its own; the counters give the median and p99 in microseconds.
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
#include "api/request_bodies.h"
#include "app/preference_key.h"
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
    preferences->setString(app::PreferenceKey::domainLink, backend.domain());
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

void BareCurlPost(benchmark::State& state) {
  World& w = world();
  CURL* easy = curl_easy_init();
  curl_slist* headers = curl_slist_append(nullptr, "Content-Type: application/json");
  headers = curl_slist_append(headers, "Expect:");
  std::string answer;
  curl_easy_setopt(easy, CURLOPT_URL, w.url.c_str());
  curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(easy, CURLOPT_POSTFIELDS, w.body.c_str());
  curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE, static_cast<long>(w.body.size()));
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &collect);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, &answer);
  std::vector<double> micros;
  for (auto _ : state) {
    answer.clear();
    const auto start = Clock::now();
    const CURLcode code = curl_easy_perform(easy);
    micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    if (code != CURLE_OK || answer.size() < 1000) state.SkipWithError("bare POST failed");
    benchmark::DoNotOptimize(answer.data());
  }
  state.counters["bytes"] = static_cast<double>(answer.size());
  report(state, micros);
  curl_slist_free_all(headers);
  curl_easy_cleanup(easy);
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

BENCHMARK(BareCurlPost)->Iterations(400)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(LoaderPost)->Iterations(400)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(ApiClientLogin)->Iterations(400)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
