#pragma once
// Network namespaces for the real-socket tests and the comparison benchmark. Every name
// carries the process id and a counter, so parallel runs never collide, and every namespace
// is deleted when its owner goes away, whatever the test did. Header-only so the benchmark
// under bench/ shares it.
#include <fcntl.h>
#include <sched.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/process/process.h"
#include "platform/process/process_run.h"
#include "platform/process/program_lookup.h"

namespace corvane::ping::testing {

// Runs a program (no shell: `argv` as it is) to its end, at most 30 s; a program that cannot
// start reads as exit code 127 with the reason on stderr.
inline platform::ProcessRun runCommand(std::vector<std::string> argv, const std::string& input = {}) {
  platform::ProcessOptions options;
  options.argv = std::move(argv);
  auto run = platform::runProcess(std::move(options), input, {std::chrono::seconds(30), 1 << 20});
  if (run) return std::move(*run);
  platform::ProcessRun failed;
  failed.exit = platform::ProcessExit::exited(127);
  failed.err = run.error().description;
  return failed;
}

// True when `program` is found in PATH.
inline bool installed(const std::string& program) {
  const char* path = std::getenv("PATH");
  return platform::lookUpProgram(program, path ? std::optional<std::string>(path) : std::nullopt).ok();
}

// True when the program exited with 0; its output is dropped.
inline bool runQuiet(std::vector<std::string> argv) { return runCommand(std::move(argv)).exit.success(); }

// `prefix` followed by the words of `text` (split at spaces; the tests' own arguments hold no
// quoting).
inline std::vector<std::string> withWords(std::vector<std::string> prefix, const std::string& text) {
  std::istringstream words(text);
  for (std::string word; words >> word;) prefix.push_back(word);
  return prefix;
}

class NetworkNamespace {
 public:
  explicit NetworkNamespace(const std::string& tag) {
    static std::atomic<int> counter{0};
    name_ = "corvane-" + tag + "-" + std::to_string(getpid()) + "-" + std::to_string(counter++);
    created_ = runQuiet({"ip", "netns", "add", name_}) && runQuiet({"ip", "-n", name_, "link", "set", "lo", "up"});
  }
  ~NetworkNamespace() {
    if (created_) runQuiet({"ip", "netns", "delete", name_});
  }
  NetworkNamespace(const NetworkNamespace&) = delete;
  NetworkNamespace& operator=(const NetworkNamespace&) = delete;

  bool ok() const { return created_; }
  const std::string& name() const { return name_; }
  // The argument vector that runs a program inside the namespace, to be followed by its own.
  std::vector<std::string> exec() const { return {"ip", "netns", "exec", name_}; }
  bool sysctl(const std::string& setting) const { return runQuiet(withWords(exec(), "sysctl -qw " + setting)); }
  // Lets every group open unprivileged ICMP datagram sockets here.
  bool openPingGroupRange() const {
    auto argv = exec();
    argv.insert(argv.end(), {"sysctl", "-qw", "net.ipv4.ping_group_range=0 2147483647"});
    return runQuiet(std::move(argv));
  }

 private:
  std::string name_;
  bool created_ = false;
};

// Moves the calling thread into a namespace until destroyed. Sockets made meanwhile stay in
// that namespace for their whole life, whichever thread uses them later.
class EnterNamespace {
 public:
  explicit EnterNamespace(const NetworkNamespace& ns) {
    home_ = open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
    const int target = open(("/run/netns/" + ns.name()).c_str(), O_RDONLY | O_CLOEXEC);
    entered_ = home_ >= 0 && target >= 0 && setns(target, CLONE_NEWNET) == 0;
    if (target >= 0) close(target);
  }
  ~EnterNamespace() {
    if (entered_) setns(home_, CLONE_NEWNET);
    if (home_ >= 0) close(home_);
  }
  EnterNamespace(const EnterNamespace&) = delete;
  EnterNamespace& operator=(const EnterNamespace&) = delete;
  bool ok() const { return entered_; }

 private:
  int home_ = -1;
  bool entered_ = false;
};

// A child program whose standard output we read; stopped and reaped when destroyed.
class ChildProcess {
 public:
  explicit ChildProcess(const std::vector<std::string>& argv) {
    platform::ProcessOptions options;
    options.argv = argv;
    options.stdoutStream = platform::ChildStream::piped();
    if (auto started = platform::Process::start(std::move(options))) process_.emplace(std::move(*started));
  }
  ~ChildProcess() {
    if (process_) process_->stop(std::chrono::seconds(5));
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Reads lines (for at most 20 s) until one equals `expected` or the output ends.
  bool waitForLine(const std::string& expected) {
    if (!process_) return false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
      auto line = process_->readLine(platform::Process::Stream::out, deadline - std::chrono::steady_clock::now());
      if (!line) return false;
      while (!line->empty() && line->back() == '\r') line->pop_back();
      if (*line == expected) return true;
    }
    return false;
  }

 private:
  std::optional<platform::Process> process_;
};

// Two namespaces joined by a veth pair: "near" at 10.201.0.1 holds the pinger, "far" at
// 10.201.0.2 holds the delayed echo responder and has the kernel's own echo replies off.
// Both sit in 10.201.0.0/16, so further far addresses are reachable without routes.
class DelayedPeer {
 public:
  static constexpr const char* kNearAddress = "10.201.0.1";
  static constexpr const char* kFarAddress = "10.201.0.2";

  // Nothing, with `whyNot` filled, when this machine cannot build the pair (no root, no ip).
  static std::unique_ptr<DelayedPeer> create(const std::string& responderPath, double delayMs,
                                             std::string* whyNot) {
    auto peer = std::unique_ptr<DelayedPeer>(new DelayedPeer());
    if (!peer->near_.ok() || !peer->far_.ok()) {
      *whyNot = "cannot create network namespaces (needs root and iproute2)";
      return nullptr;
    }
    const std::string near = peer->near_.name();
    const std::string far = peer->far_.name();
    const bool wired =
        runQuiet({"ip", "-n", near, "link", "add", "veth0", "type", "veth", "peer", "name", "veth1", "netns", far}) &&
        runQuiet({"ip", "-n", near, "addr", "add", std::string(kNearAddress) + "/16", "dev", "veth0"}) &&
        runQuiet({"ip", "-n", far, "addr", "add", std::string(kFarAddress) + "/16", "dev", "veth1"}) &&
        runQuiet({"ip", "-n", near, "link", "set", "veth0", "up"}) &&
        runQuiet({"ip", "-n", far, "link", "set", "veth1", "up"}) &&
        peer->far_.sysctl("net.ipv4.icmp_echo_ignore_all=1") && peer->near_.openPingGroupRange();
    if (!wired) {
      *whyNot = "cannot wire a veth pair between the namespaces";
      return nullptr;
    }
    peer->responder_ = std::make_unique<ChildProcess>(std::vector<std::string>{
        "ip", "netns", "exec", far, responderPath, std::to_string(delayMs)});
    if (!peer->responder_->waitForLine("ready")) {
      *whyNot = "the delayed echo responder did not start";
      return nullptr;
    }
    return peer;
  }

  // `count` more addresses on the far side (10.201.1.1, 10.201.1.2, ...), all answered by
  // the responder; empty when they could not be added.
  std::vector<std::string> addFarAddresses(int count) {
    std::vector<std::string> addresses;
    std::string batch;
    for (int i = 0; i < count; ++i) {
      addresses.push_back("10.201." + std::to_string(1 + i / 250) + "." + std::to_string(1 + i % 250));
      batch += "addr add " + addresses.back() + "/16 dev veth1\n";
    }
    if (!runCommand({"ip", "-n", far_.name(), "-batch", "-"}, batch).exit.success()) return {};
    return addresses;
  }

  const NetworkNamespace& near() const { return near_; }
  const NetworkNamespace& far() const { return far_; }

 private:
  DelayedPeer() : near_("near"), far_("far") {}
  NetworkNamespace near_;
  NetworkNamespace far_;
  std::unique_ptr<ChildProcess> responder_;  // stops before the namespaces go
};

}  // namespace corvane::ping::testing
