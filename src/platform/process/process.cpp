#include "platform/process/process.h"

#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>

#include "platform/process/child_spawn.h"
#include "platform/process/pipe_write.h"
#include "platform/process/program_lookup.h"

namespace corvane::platform {
namespace {

using Clock = std::chrono::steady_clock;

// Through syscall(2): glibc 2.36's <sys/pidfd.h> declares these without C linkage.
int openPidfd(pid_t pid) { return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)); }
int sendThroughPidfd(int pidfd, int signal) {
  return static_cast<int>(::syscall(SYS_pidfd_send_signal, pidfd, signal, nullptr, 0));
}

// Milliseconds left until `deadline` for poll(), rounded up so a short wait does not spin.
int pollMillis(Clock::time_point deadline) {
  const auto left = deadline - Clock::now();
  if (left <= Clock::duration::zero()) return 0;
  const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
  return static_cast<int>(std::min<long long>(ms, 60'000));
}

ProcessExit exitFrom(int status) {
  if (WIFSIGNALED(status)) return ProcessExit::killed(WTERMSIG(status));
  return ProcessExit::exited(WEXITSTATUS(status));
}

}  // namespace

Result<Process> Process::start(ProcessOptions options) {
  if (options.argv.empty()) return Error("Process", EINVAL, "cannot start a program: empty argument vector");
  std::optional<std::string> searchPath;
  if (options.environment) {
    for (const std::string& entry : *options.environment) {
      if (entry.rfind("PATH=", 0) == 0) searchPath = entry.substr(5);
    }
  } else if (const char* path = std::getenv("PATH")) {
    searchPath = path;
  }
  auto programPath = lookUpProgram(options.argv.front(), searchPath);
  if (!programPath) return programPath.error();
  auto spawned = spawnChild(options, *programPath);
  if (!spawned) return spawned.error();

  Process process;
  process.pid_ = spawned->pid;
  process.fds_ = spawned->parentEnds;
  process.ownGroup_ = options.newProcessGroup;
  process.program_ = options.argv.front();
  // Without a pidfd (a kernel before 5.3, a seccomp filter) the waits poll waitpid instead
  // and a supervisor has nothing to watch; everything else works the same.
  process.pidfd_ = openPidfd(process.pid_);
  return process;
}

Process::Process(Process&& other) noexcept { *this = std::move(other); }

Process& Process::operator=(Process&& other) noexcept {
  if (this == &other) return *this;
  release();
  pid_ = std::exchange(other.pid_, -1);
  pidfd_ = std::exchange(other.pidfd_, -1);
  fds_ = std::exchange(other.fds_, {-1, -1, -1});
  pending_ = std::move(other.pending_);
  ended_ = other.ended_;
  ownGroup_ = other.ownGroup_;
  exit_ = std::exchange(other.exit_, std::nullopt);
  program_ = std::move(other.program_);
  return *this;
}

Process::~Process() { release(); }

void Process::release() {
  if (pid_ > 0 && !exit_) killAndReap();
  for (int i = 0; i < 3; ++i) closeStream(i);
  if (pidfd_ >= 0) ::close(pidfd_);
  pidfd_ = -1;
  pid_ = -1;
}

void Process::closeStream(int index) {
  auto& fd = fds_[static_cast<std::size_t>(index)];
  if (fd >= 0) ::close(fd);
  fd = -1;
}

Result<void> Process::writeInput(std::string_view data, Duration timeout) {
  const int fd = fds_[0];
  if (fd < 0) return Error("Process", EBADF, "stdin of `" + program_ + "' is not an open pipe");
  const auto deadline = Clock::now() + timeout;
  while (!data.empty()) {
    const ssize_t n = writeWithoutSigpipe(fd, data.data(), data.size());
    if (n > 0) {
      data.remove_prefix(static_cast<std::size_t>(n));
      continue;
    }
    const int why = errno;
    if (why == EINTR) continue;
    if (why != EAGAIN) {
      return Error("Process", why, "writing to `" + program_ + "': " + std::strerror(why));
    }
    if (Clock::now() >= deadline) {
      return Error("Process", ETIMEDOUT, "`" + program_ + "' stopped reading its input");
    }
    pollfd p{fd, POLLOUT, 0};
    ::poll(&p, 1, pollMillis(deadline));
  }
  return Result<void>::success();
}

void Process::closeInput() { closeStream(0); }

std::optional<std::string> Process::readSome(Stream stream, std::size_t limit) {
  const auto index = static_cast<std::size_t>(stream);
  std::string& pending = pending_[index];
  if (!pending.empty()) {
    std::string out = pending.substr(0, limit);
    pending.erase(0, out.size());
    return out;
  }
  const int fd = fds_[index];
  if (fd < 0 || ended_[index]) return std::nullopt;
  std::string out(std::min<std::size_t>(limit, 64 * 1024), '\0');
  while (true) {
    const ssize_t n = ::read(fd, out.data(), out.size());
    if (n > 0) {
      out.resize(static_cast<std::size_t>(n));
      return out;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == EAGAIN) return std::string();
    // End of file (or a broken descriptor, which reads the same to the caller). The
    // descriptor stays open until the Process goes, so a loop watching it is not surprised.
    ended_[index] = true;
    return std::nullopt;
  }
}

std::optional<std::string> Process::readLine(Stream stream, Duration timeout, std::size_t maxLength) {
  const auto index = static_cast<std::size_t>(stream);
  std::string& pending = pending_[index];
  maxLength = std::max<std::size_t>(maxLength, 1);
  const auto deadline = Clock::now() + timeout;
  while (true) {
    const auto newline = pending.find('\n');
    if (newline != std::string::npos && newline <= maxLength) {
      std::string line = pending.substr(0, newline);
      pending.erase(0, newline + 1);
      return line;
    }
    if (pending.size() >= maxLength) {
      std::string line = pending.substr(0, maxLength);
      pending.erase(0, maxLength);
      return line;
    }
    const int fd = fds_[index];
    if (fd < 0 || ended_[index]) {
      if (pending.empty()) return std::nullopt;
      return std::exchange(pending, {});
    }
    char buffer[4096];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n > 0) {
      pending.append(buffer, static_cast<std::size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == EAGAIN) {
      if (Clock::now() >= deadline) return std::nullopt;
      pollfd p{fd, POLLIN, 0};
      ::poll(&p, 1, pollMillis(deadline));
      continue;
    }
    ended_[index] = true;
  }
}

bool Process::signal(int signal, bool toGroup) {
  if (pid_ <= 0 || exit_) return false;
  if (toGroup) {
    // Only while the leader is unreaped does its pid still name this group for certain.
    return ownGroup_ && ::kill(-pid_, signal) == 0;
  }
  if (pidfd_ >= 0) return sendThroughPidfd(pidfd_, signal) == 0;
  return ::kill(pid_, signal) == 0;
}

std::optional<ProcessExit> Process::tryWait() {
  if (exit_ || pid_ <= 0) return exit_;
  int status = 0;
  pid_t done = 0;
  do {
    done = ::waitpid(pid_, &status, WNOHANG);
  } while (done < 0 && errno == EINTR);
  if (done == pid_) {
    exit_ = exitFrom(status);
  } else if (done < 0) {
    // ECHILD: someone else reaped it (SIGCHLD set to SIG_IGN reaps automatically). It has
    // ended; how is lost.
    exit_ = ProcessExit::exited(-1);
  }
  return exit_;
}

bool Process::endedWithin(Clock::time_point deadline) {
  while (true) {
    if (exit_ || pid_ <= 0) return true;
    // WNOWAIT leaves the child a zombie: its pid, and so its group, stay reserved until the
    // reap, which lets the kill paths sweep the group without hitting a stranger.
    siginfo_t info{};
    int rc = 0;
    do {
      rc = ::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT);
    } while (rc < 0 && errno == EINTR);
    if (rc < 0 || info.si_pid != 0) return true;
    if (Clock::now() >= deadline) return false;
    if (pidfd_ >= 0) {
      pollfd p{pidfd_, POLLIN, 0};
      ::poll(&p, 1, pollMillis(deadline));
    } else {
      std::this_thread::sleep_for(std::min<Clock::duration>(deadline - Clock::now(), std::chrono::milliseconds(5)));
    }
  }
}

void Process::reap() {
  if (exit_ || pid_ <= 0) return;
  int status = 0;
  pid_t done = 0;
  do {
    done = ::waitpid(pid_, &status, 0);
  } while (done < 0 && errno == EINTR);
  exit_ = done == pid_ ? exitFrom(status) : ProcessExit::exited(-1);
}

std::optional<ProcessExit> Process::waitFor(Duration timeout) {
  if (!endedWithin(Clock::now() + timeout)) return std::nullopt;
  reap();
  return exit_;
}

ProcessExit Process::waitOrKill(Duration timeout) {
  if (auto done = waitFor(timeout)) return *done;
  return killAndReap();
}

ProcessExit Process::stop(Duration grace) {
  if (exit_ || pid_ <= 0) return exit_.value_or(ProcessExit::exited(-1));
  signal(SIGTERM, ownGroup_);
  if (endedWithin(Clock::now() + grace)) {
    // Whatever the leader started and left behind in its group goes with it.
    if (ownGroup_) ::kill(-pid_, SIGKILL);
    reap();
    return *exit_;
  }
  return killAndReap();
}

ProcessExit Process::killAndReap() {
  if (exit_ || pid_ <= 0) return exit_.value_or(ProcessExit::exited(-1));
  if (ownGroup_) ::kill(-pid_, SIGKILL);
  signal(SIGKILL);
  reap();
  return *exit_;
}

}  // namespace corvane::platform
