#pragma once
// Network namespaces for the real-socket tests and the comparison benchmark. Every name
// carries the process id and a counter, so parallel runs never collide, and every namespace
// is deleted when its owner goes away, whatever the test did. Header-only so the benchmark
// under bench/ shares it.
#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

extern char** environ;

namespace corvane::ping::testing {

// Runs a shell command quietly; true when it exited with 0.
inline bool runQuiet(const std::string& command) {
  return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

// Runs a shell command and returns its standard output.
inline std::string runCapture(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return out;
  std::array<char, 4096> chunk{};
  while (std::fgets(chunk.data(), chunk.size(), pipe) != nullptr) out += chunk.data();
  pclose(pipe);
  return out;
}

class NetworkNamespace {
 public:
  explicit NetworkNamespace(const std::string& tag) {
    static std::atomic<int> counter{0};
    name_ = "corvane-" + tag + "-" + std::to_string(getpid()) + "-" + std::to_string(counter++);
    created_ = runQuiet("ip netns add " + name_) &&
               runQuiet("ip -n " + name_ + " link set lo up");
  }
  ~NetworkNamespace() {
    if (created_) runQuiet("ip netns delete " + name_);
  }
  NetworkNamespace(const NetworkNamespace&) = delete;
  NetworkNamespace& operator=(const NetworkNamespace&) = delete;

  bool ok() const { return created_; }
  const std::string& name() const { return name_; }
  // Prefix that runs a command inside the namespace.
  std::string exec() const { return "ip netns exec " + name_ + " "; }
  bool sysctl(const std::string& setting) const {
    return runQuiet(exec() + "sysctl -qw " + setting);
  }
  // Lets every group open unprivileged ICMP datagram sockets here.
  bool openPingGroupRange() const { return sysctl("net.ipv4.ping_group_range='0 2147483647'"); }

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

// A child program whose standard output we read; terminated and reaped when destroyed.
class ChildProcess {
 public:
  explicit ChildProcess(const std::vector<std::string>& argv) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    if (posix_spawnp(&pid_, args[0], &actions, nullptr, args.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    output_ = fdopen(fds[0], "r");
  }
  ~ChildProcess() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      int status = 0;
      waitpid(pid_, &status, 0);
    }
    if (output_ != nullptr) fclose(output_);
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Reads lines until one equals `expected` or the output ends.
  bool waitForLine(const std::string& expected) {
    if (pid_ <= 0 || output_ == nullptr) return false;
    std::array<char, 256> line{};
    while (std::fgets(line.data(), line.size(), output_) != nullptr) {
      std::string text = line.data();
      while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
      if (text == expected) return true;
    }
    return false;
  }

 private:
  pid_t pid_ = -1;
  FILE* output_ = nullptr;
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
        runQuiet("ip -n " + near + " link add veth0 type veth peer name veth1 netns " + far) &&
        runQuiet("ip -n " + near + " addr add " + kNearAddress + "/16 dev veth0") &&
        runQuiet("ip -n " + far + " addr add " + kFarAddress + "/16 dev veth1") &&
        runQuiet("ip -n " + near + " link set veth0 up") &&
        runQuiet("ip -n " + far + " link set veth1 up") &&
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
    if (!runQuiet("printf '" + batch + "' | ip -n " + far_.name() + " -batch -")) return {};
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
