// The backend under the attacks one client without an account can make: huge or endless
// bodies and heads, slow clients, connection bursts. Counts and times are bounded; the bounds
// asserted are generous (a loaded machine must not fail them), the failures they catch are not.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "api/support/backend_process.h"
#include "backend/support/backend_calls.h"
#include "backend/support/raw_client.h"

namespace corvane::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr long kMaxBodyKiB = 64;

std::string chunk(size_t size, char fill) {
  char head[32];
  std::snprintf(head, sizeof head, "%zx\r\n", size);
  return head + std::string(size, fill) + "\r\n";
}

// Sends up to `total` bytes of chunked body; returns the answer the backend gave, if any.
std::string pushChunkedBody(int port, size_t total) {
  const int fd = connectLoopback(port);
  if (fd < 0) return {};
  std::string answer;
  if (sendAll(fd, "POST /app-api-v1/login HTTP/1.1\r\nHost: t\r\nContent-Type: application/json\r\n"
                  "Transfer-Encoding: chunked\r\n\r\n")) {
    const std::string piece = chunk(1 << 20, '[');
    for (size_t sent = 0; sent < total && sendAll(fd, piece); sent += piece.size()) {
    }
  }
  answer = readSome(fd, 5s, 4096);
  ::close(fd);
  return answer;
}

TEST(BackendAttackTest, OversizedBodiesAndHeadsAreRefusedWithoutHoldingMemory) {
  BackendProcess backend;
  const long before = residentKiB(backend.pid());
  ASSERT_GT(before, 0);

  // Four 100 MB chunked bodies at once, as the attack that took 1.9 GB did.
  std::vector<std::thread> pushers;
  std::vector<std::string> answers(4);
  for (size_t i = 0; i < answers.size(); ++i) {
    pushers.emplace_back([&, i] { answers[i] = pushChunkedBody(backend.httpPort(), 100u << 20); });
  }
  for (auto& t : pushers) t.join();
  for (const auto& a : answers) EXPECT_EQ(statusOf(a), 413) << a.substr(0, 200);

  const struct {
    const char* name;
    std::string request;
    int status;
  } cases[] = {
      {"Content-Length over the limit",
       "POST /app-api-v1/login HTTP/1.1\r\nHost: t\r\nContent-Length: 16777216\r\n\r\n[[[[", 413},
      {"JSON nested 60,000 deep within the limit",
       "POST /app-api-v1/login HTTP/1.1\r\nHost: t\r\nContent-Length: 60000\r\n\r\n" + std::string(60000, '['), 400},
      {"300,000 headers", [] {
         std::string r = "GET /ip HTTP/1.1\r\nHost: t\r\n";
         for (int i = 0; i < 300000; ++i) r += "X-A: b\r\n";
         return r + "\r\n";
       }(), 431},
      {"100 small headers", [] {
         std::string r = "GET /ip HTTP/1.1\r\nHost: t\r\n";
         for (int i = 0; i < 100; ++i) r += "X-" + std::to_string(i) + ": b\r\n";
         return r + "\r\n";
       }(), 431},
      {"a 1 MB header line", "GET /ip HTTP/1.1\r\nHost: t\r\nX-Big: " + std::string(1 << 20, 'a') + "\r\n\r\n", 431},
  };
  for (const auto& c : cases) {
    const int fd = connectLoopback(backend.httpPort());
    ASSERT_GE(fd, 0);
    sendAll(fd, c.request);  // the backend may stop reading early; its answer is what counts
    EXPECT_EQ(statusOf(readSome(fd, 5s, 4096)), c.status) << c.name;
    ::close(fd);
  }

  const long after = residentKiB(backend.pid());
  EXPECT_LT(after - before, kMaxBodyKiB + 16 * 1024) << "resident KiB before " << before << ", after " << after;
  auto http = backend.httpClient();
  EXPECT_EQ(getJson(http, "/ip?format=json").status, 200);
  EXPECT_EQ(backend.stop(), 0);
  EXPECT_EQ(integrityOf(backend.dataDir() / "backend.sqlite3"), "ok");
}

// p99 of `samples` in milliseconds.
double p99(std::vector<double> samples) {
  std::sort(samples.begin(), samples.end());
  return samples.empty() ? 0 : samples[std::min(samples.size() - 1, samples.size() * 99 / 100)];
}

TEST(BackendAttackTest, SlowClientsNeitherBlockOthersNorStayPastTheDeadline) {
  BackendLaunch launch;
  launch.extraArgs = {"--request-deadline", "3"};
  BackendProcess backend(launch);

  // 200 clients trickling a request head on the API, and 50 that open a TLS connection and
  // never send a handshake: eight of either stopped the old server.
  std::vector<int> slow;
  for (int i = 0; i < 200; ++i) slow.push_back(connectLoopback(backend.httpPort()));
  for (int i = 0; i < 50; ++i) slow.push_back(connectLoopback(backend.httpsPort()));
  for (int fd : slow) ASSERT_GE(fd, 0);
  for (int i = 0; i < 200; ++i) sendAll(slow[i], "POST /app-api-v1/login HTTP/1.1\r\n");

  std::atomic<bool> probing{true};
  std::thread trickle([&] {
    for (int round = 0; round < 20 && probing; ++round) {
      for (int i = 0; i < 200; ++i) sendAll(slow[i], "X-Slow-" + std::to_string(round) + ": 1\r\n");
      std::this_thread::sleep_for(200ms);
    }
  });
  std::vector<double> apiMs;
  std::vector<double> linksMs;
  auto http = backend.httpClient();
  auto https = backend.httpsClient();
  for (int i = 0; i < 30; ++i) {
    auto start = Clock::now();
    EXPECT_EQ(postJson(http, "/app-api-v1/login", loginBody("nobody-" + std::to_string(i), "x")).status, 200);
    apiMs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    start = Clock::now();
    const auto links = https->Get("/app-api-v1/get-links");
    EXPECT_TRUE(links && links->status == 200);
    linksMs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  probing = false;
  trickle.join();
  EXPECT_LT(p99(apiMs), 1000.0);
  EXPECT_LT(p99(linksMs), 1000.0);

  // The deadline covers the whole head: by now (over 3 s after connecting) every slow client
  // has been cut off, trickling or silent.
  std::this_thread::sleep_for(1s);
  int closed = 0;
  for (int fd : slow) {
    const std::string rest = readSome(fd, 2s, 1 << 16);
    char probe = 0;
    const ssize_t n = ::recv(fd, &probe, 1, MSG_DONTWAIT);
    if (n == 0 || (n < 0 && errno == ECONNRESET) || rest.find("HTTP/1.1") != std::string::npos) ++closed;
    ::close(fd);
  }
  EXPECT_EQ(closed, static_cast<int>(slow.size()));
  EXPECT_EQ(backend.stop(), 0);
  EXPECT_EQ(integrityOf(backend.dataDir() / "backend.sqlite3"), "ok");
}

TEST(BackendAttackTest, ABurstOfAThousandConnectionsIsAllAnswered) {
  constexpr int kClients = 1000;
  rlimit limit{};
  getrlimit(RLIMIT_NOFILE, &limit);
  if (limit.rlim_max < kClients + 200) GTEST_SKIP() << "the descriptor limit " << limit.rlim_max << " is too low";
  limit.rlim_cur = limit.rlim_max;
  setrlimit(RLIMIT_NOFILE, &limit);

  BackendProcess backend;
  std::vector<int> fds;
  // All connect before any sends: the backlog must hold what the loop has not accepted yet.
  for (int i = 0; i < kClients; ++i) fds.push_back(connectLoopback(backend.httpPort(), 20s));
  int answered = 0;
  for (int fd : fds) {
    if (fd >= 0) sendAll(fd, "GET /ip?format=json HTTP/1.1\r\nHost: t\r\nConnection: close\r\n\r\n");
  }
  for (int fd : fds) {
    if (fd >= 0 && statusOf(readSome(fd, 20s, 1 << 16)) == 200) ++answered;
    if (fd >= 0) ::close(fd);
  }
  EXPECT_EQ(answered, kClients);
  EXPECT_EQ(backend.stop(), 0);
}

}  // namespace
}  // namespace corvane::test
