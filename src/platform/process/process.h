#pragma once
// A child program that this process started and owns. It is never left behind as a zombie:
// the destructor kills it (its whole group when it has its own) and reaps it.
//
// Usable from an event loop: exitFd() becomes readable when the child ends, and the pipe
// ends are non-blocking, so a supervisor watches them with MainLoop::watchReadable and calls
// tryWait() or readSome() when they fire. The blocking helpers (waitFor, readLine, ...) are
// for tests and short-lived tools; each takes a time-out.
//
// Not thread-safe: one owner drives it.
#include <sys/types.h>

#include <array>
#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "platform/core/result.h"
#include "platform/process/process_exit.h"
#include "platform/process/process_options.h"

namespace corvane::platform {

class Process {
 public:
  using Duration = std::chrono::steady_clock::duration;
  enum class Stream { out = 1, err = 2 };

  // Starts the child. Fails (errno as the code, the program quoted) when the program cannot
  // be found or executed, the working folder does not exist, or a descriptor is bad.
  static Result<Process> start(ProcessOptions options);

  Process(Process&& other) noexcept;
  Process& operator=(Process&& other) noexcept;
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  ~Process();

  pid_t pid() const { return pid_; }
  // A pidfd that becomes readable when the child ends (-1 where the kernel offers none).
  // The Process owns it.
  int exitFd() const { return pidfd_; }
  // The parent's end of a piped stream, or -1.
  int stdinFd() const { return fds_[0]; }
  int stdoutFd() const { return fds_[1]; }
  int stderrFd() const { return fds_[2]; }

  // Writes all of `data` to the child's stdin, waiting at most `timeout` for room in the
  // pipe. Fails with EPIPE when the child closed its stdin (never raises SIGPIPE), ETIMEDOUT
  // when it stopped reading, EBADF when stdin is not a pipe.
  Result<void> writeInput(std::string_view data, Duration timeout);
  // Closes the child's stdin, so it reads end of file.
  void closeInput();

  // Up to `limit` bytes of what the stream holds now, without blocking: empty when nothing
  // is waiting, nothing at end of file (or when the stream is not a pipe).
  std::optional<std::string> readSome(Stream stream, std::size_t limit = 64 * 1024);
  // The next line (without its '\n'), waiting at most `timeout`. A line longer than
  // `maxLength` comes back cut at that length, the rest as the next line. Nothing on
  // time-out or at end of file (the unterminated tail is returned first).
  std::optional<std::string> readLine(Stream stream, Duration timeout, std::size_t maxLength = 4096);

  // Sends `signal` to the child (to its whole group with `toGroup`, which needs
  // newProcessGroup). False once the child is reaped: its pid may belong to another process.
  bool signal(int signal, bool toGroup = false);

  // The exit once reaped; reaps now when the child has ended. Never blocks.
  std::optional<ProcessExit> tryWait();
  // Waits at most `timeout` for the child to end; nothing when it is still running.
  std::optional<ProcessExit> waitFor(Duration timeout);
  // Waits at most `timeout`, then kills the child (and its group) and reaps it.
  ProcessExit waitOrKill(Duration timeout);
  // SIGTERM (to the group when it has one), `grace` to end, then SIGKILL; always reaped.
  ProcessExit stop(Duration grace);

  bool running() { return !tryWait().has_value(); }
  bool ownGroup() const { return ownGroup_; }
  const std::string& program() const { return program_; }

 private:
  Process() = default;
  void release();
  void closeStream(int index);
  // True once the child has ended (reaped or still a zombie), waiting until `deadline`.
  bool endedWithin(std::chrono::steady_clock::time_point deadline);
  // Collects the exit of a child known to have ended.
  void reap();
  ProcessExit killAndReap();

  pid_t pid_ = -1;
  int pidfd_ = -1;
  std::array<int, 3> fds_{-1, -1, -1};
  std::array<std::string, 3> pending_;  // bytes read past the last line handed out
  std::array<bool, 3> ended_{false, false, false};
  bool ownGroup_ = false;
  std::optional<ProcessExit> exit_;
  std::string program_;
};

}  // namespace corvane::platform
