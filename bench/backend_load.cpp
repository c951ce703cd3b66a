// The reference backend under load and under attack, for one or two builds in one run:
//   logins      50 concurrent clients (keep-alive) signing in to the demo account for a few
//               seconds: logins per second and the p99 of one login
//   slow        250 slow clients (200 trickling a request head, 50 silent TLS connections) held
//               for 8 s while a probe asks for /ip every 0.25 s (2 s time-out): the backend's
//               peak resident memory, and how many probes were answered and their p99
//   big body    four 100 MB chunked uploads at once: peak resident memory during, and after
//
//   build/bin/backend_load [--before OLD_BINARY] [--seconds N]
//
// scripts/bench-backend builds the binary before the Beast server from a git worktree and
// runs this with both.
#include <arpa/inet.h>
#include <curl/curl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "common/backend_launcher.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr const char* kLoginBody =
    R"({"username":"demo@corvane.test","pass":"corvane-demo-2026","udid":"BENCH-0000","device_type":2,)"
    R"("player_id":"No_One_Signal","app_id":0,"vpnAppVersion":"1.0","brand":"apple","model":"x86_64",)"
    R"("osName":"iOS","osPlatform":"iOS","deviceName":"bench","osVersion":"12","isRooted":0})";

long residentKiB(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/status");
  std::string key;
  while (in >> key) {
    if (key == "VmRSS:") {
      long kib = 0;
      in >> kib;
      return kib;
    }
    std::getline(in, key);
  }
  return 0;
}

double percentile(std::vector<double> v, double p) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[std::min(v.size() - 1, static_cast<size_t>(static_cast<double>(v.size()) * p))];
}

size_t discard(char*, size_t size, size_t n, void*) { return size * n; }

struct LoginFigures {
  double perSecond = 0;
  double p99Ms = 0;
  long failures = 0;
};

LoginFigures logins(int port, int clients, std::chrono::seconds length) {
  const std::string url = "http://127.0.0.1:" + std::to_string(port) + "/app-api-v1/login";
  std::vector<std::vector<double>> samples(static_cast<size_t>(clients));
  std::atomic<long> failures{0};
  const auto end = Clock::now() + length;
  std::vector<std::thread> threads;
  for (int c = 0; c < clients; ++c) {
    threads.emplace_back([&, c] {
      CURL* curl = curl_easy_init();
      curl_slist* headers = curl_slist_append(nullptr, "Content-Type: application/json");
      curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
      curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
      curl_easy_setopt(curl, CURLOPT_POSTFIELDS, kLoginBody);
      curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, discard);
      curl_easy_setopt(curl, CURLOPT_TIMEOUT, 30L);
      while (Clock::now() < end) {
        const auto start = Clock::now();
        long status = 0;
        if (curl_easy_perform(curl) != CURLE_OK ||
            (curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status), status != 200)) {
          ++failures;
          continue;
        }
        samples[static_cast<size_t>(c)].push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
      }
      curl_slist_free_all(headers);
      curl_easy_cleanup(curl);
    });
  }
  for (auto& t : threads) t.join();
  std::vector<double> all;
  for (auto& s : samples) all.insert(all.end(), s.begin(), s.end());
  return {static_cast<double>(all.size()) / static_cast<double>(length.count()), percentile(all, 0.99), failures};
}

int connectTo(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  timeval tv{2, 0};
  ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<uint16_t>(port));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

bool sendAll(int fd, const std::string& data) {
  for (size_t sent = 0; sent < data.size();) {
    const ssize_t n = ::send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) return false;
    sent += static_cast<size_t>(n);
  }
  return true;
}

struct AttackFigures {
  long peakKiB = 0;
  long afterKiB = 0;
  int probesAnswered = 0;
  int probes = 0;
  double probeP99Ms = 0;
};

// Samples the backend's memory every 100 ms while `attack` runs, and probes /ip.
template <typename Attack>
AttackFigures underAttack(const corvane::bench::BackendLauncher& backend, bool probe, Attack attack) {
  AttackFigures f;
  std::atomic<bool> running{true};
  std::thread sampler([&] {
    while (running) {
      f.peakKiB = std::max(f.peakKiB, residentKiB(backend.pid()));
      std::this_thread::sleep_for(100ms);
    }
  });
  std::vector<double> probeMs;
  std::thread prober([&] {
    const std::string url = "http://127.0.0.1:" + std::to_string(backend.httpPort()) + "/ip?format=json";
    CURL* curl = curl_easy_init();
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, discard);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, 2000L);
    curl_easy_setopt(curl, CURLOPT_FORBID_REUSE, 1L);
    std::this_thread::sleep_for(500ms);
    while (probe && running && f.probes < 28) {
      ++f.probes;
      const auto start = Clock::now();
      if (curl_easy_perform(curl) == CURLE_OK) {
        ++f.probesAnswered;
        probeMs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
      }
      std::this_thread::sleep_for(250ms);
    }
    curl_easy_cleanup(curl);
  });
  attack();
  running = false;
  sampler.join();
  prober.join();
  std::this_thread::sleep_for(1s);
  f.afterKiB = residentKiB(backend.pid());
  f.probeP99Ms = percentile(probeMs, 0.99);
  return f;
}

AttackFigures slowClients(const corvane::bench::BackendLauncher& backend) {
  return underAttack(backend, true, [&] {
    std::vector<int> fds;
    for (int i = 0; i < 200; ++i) fds.push_back(connectTo(backend.httpPort()));
    for (int i = 0; i < 50; ++i) fds.push_back(connectTo(backend.httpsPort()));
    for (int i = 0; i < 200; ++i) {
      if (fds[i] >= 0) sendAll(fds[i], "POST /app-api-v1/login HTTP/1.1\r\nHost: b\r\n");
    }
    for (int round = 0; round < 8; ++round) {
      for (int i = 0; i < 200; ++i) {
        if (fds[i] >= 0) sendAll(fds[i], "X-Slow-" + std::to_string(round) + ": 1\r\n");
      }
      std::this_thread::sleep_for(1s);
    }
    for (int fd : fds) {
      if (fd >= 0) ::close(fd);
    }
  });
}

AttackFigures bigBodies(const corvane::bench::BackendLauncher& backend) {
  return underAttack(backend, false, [&] {
    std::vector<std::thread> pushers;
    for (int i = 0; i < 4; ++i) {
      pushers.emplace_back([&] {
        const int fd = connectTo(backend.httpPort());
        if (fd < 0) return;
        timeval tv{10, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
        sendAll(fd, "POST /app-api-v1/login HTTP/1.1\r\nHost: b\r\nTransfer-Encoding: chunked\r\n\r\n");
        const std::string piece = "100000\r\n" + std::string(1 << 20, '[') + "\r\n";
        for (int mb = 0; mb < 100 && sendAll(fd, piece); ++mb) {
        }
        sendAll(fd, "0\r\n\r\n");
        char buf[512];
        (void)::recv(fd, buf, sizeof buf, 0);
        ::close(fd);
      });
    }
    for (auto& t : pushers) t.join();
  });
}

void run(const std::string& label, const std::string& binary, std::chrono::seconds length) {
  const std::vector<std::string> args = {"--demo", "--demo-servers", "72", "--hash-cost", "minimal"};
  LoginFigures l;
  {
    corvane::bench::BackendLauncher backend(args, binary);
    logins(backend.httpPort(), 50, 1s);  // warm-up
    l = logins(backend.httpPort(), 50, length);
  }
  AttackFigures slow;
  {
    corvane::bench::BackendLauncher backend(args, binary);
    slow = slowClients(backend);
  }
  AttackFigures big;
  {
    corvane::bench::BackendLauncher backend(args, binary);
    big = bigBodies(backend);
  }
  std::printf("%-7s %10.0f %9.1f %8ld | %9.1f %6d/%-3d %9.0f | %9.1f %9.1f\n", label.c_str(), l.perSecond, l.p99Ms,
              l.failures, static_cast<double>(slow.peakKiB) / 1024, slow.probesAnswered, slow.probes, slow.probeP99Ms,
              static_cast<double>(big.peakKiB) / 1024, static_cast<double>(big.afterKiB) / 1024);
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  std::string before;
  std::chrono::seconds length{5};
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string flag = argv[i];
    if (flag == "--before") before = argv[i + 1];
    if (flag == "--seconds") length = std::chrono::seconds(std::clamp(std::atoi(argv[i + 1]), 1, 60));
  }
  curl_global_init(CURL_GLOBAL_DEFAULT);
  std::printf("%-7s %10s %9s %8s | %9s %10s %9s | %9s %9s\n", "build", "logins/s", "p99 ms", "failed", "slow MB",
              "probes ok", "probe p99", "body MB", "after MB");
  if (!before.empty()) run("before", before, length);
  run("after", "", length);
  curl_global_cleanup();
  return 0;
}
