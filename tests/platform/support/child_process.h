#pragma once
// Starting the project's programs from tests: a finished run with its output, or a running
// child whose stdout the test reads as it goes. Header-only, so every test program can use it.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "corvane/build_config.h"

extern char** environ;

namespace corvane::testing {

inline std::filesystem::path programPath(const std::string& name) {
  return std::filesystem::path(build::kBinaryDir) / name;
}

// The current environment with `overrides` ("NAME=value") replacing or adding entries.
inline std::vector<std::string> environmentWith(const std::vector<std::string>& overrides) {
  std::vector<std::string> out(overrides);
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    const std::string name = text.substr(0, text.find('='));
    bool replaced = false;
    for (const std::string& override : overrides) {
      replaced = replaced || override.substr(0, override.find('=')) == name;
    }
    if (!replaced) {
      out.push_back(text);
    }
  }
  return out;
}

inline std::vector<char*> cStrings(std::vector<std::string>& strings) {
  std::vector<char*> out;
  for (std::string& s : strings) {
    out.push_back(s.data());
  }
  out.push_back(nullptr);
  return out;
}

inline pid_t spawnProgram(std::vector<std::string> argv, std::vector<std::string> env,
                          posix_spawn_file_actions_t* actions) {
  auto args = cStrings(argv);
  auto envp = cStrings(env);
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0].c_str(), actions, nullptr, args.data(), envp.data()) != 0) {
    throw std::runtime_error("cannot start " + argv[0]);
  }
  return pid;
}

inline int exitCodeOf(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

struct ProgramRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// Runs argv[0] to completion with `input` on stdin; stdout and stderr go through files in
// `scratch`, so a chatty program cannot fill a pipe and stall.
inline ProgramRun runProgram(std::vector<std::string> argv, const std::string& input,
                             const std::vector<std::string>& env,
                             const std::filesystem::path& scratch) {
  const auto in = scratch / "run.stdin";
  const auto out = scratch / "run.stdout";
  const auto err = scratch / "run.stderr";
  std::ofstream(in, std::ios::binary) << input;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  const pid_t pid = spawnProgram(std::move(argv), environmentWith(env), &actions);
  posix_spawn_file_actions_destroy(&actions);
  ProgramRun run;
  run.exitCode = exitCodeOf(pid);
  auto slurp = [](const std::filesystem::path& file) {
    std::ifstream stream(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(stream), {});
  };
  run.out = slurp(out);
  run.err = slurp(err);
  return run;
}

// A running child whose stdout is a pipe the test reads.
class RunningChild {
 public:
  RunningChild(std::vector<std::string> argv, const std::vector<std::string>& env = {}) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
      throw std::runtime_error("pipe failed");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    pid_ = spawnProgram(std::move(argv), environmentWith(env), &actions);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    out_ = fds[0];
  }
  ~RunningChild() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      exitCodeOf(pid_);
    }
    ::close(out_);
  }
  RunningChild(const RunningChild&) = delete;
  RunningChild& operator=(const RunningChild&) = delete;

  pid_t pid() const { return pid_; }
  int stdoutFd() const { return out_; }

  // Waits for the child to end (after killing it when `signal` is non-zero); its exit code,
  // or 128 + the signal.
  int finish(int signal = 0) {
    if (signal != 0) {
      ::kill(pid_, signal);
    }
    const int code = exitCodeOf(pid_);
    pid_ = -1;
    return code;
  }

  // Everything left in the pipe, up to end of file (the child has ended).
  std::string drain() {
    std::string all;
    char buffer[4096];
    ssize_t n = 0;
    while ((n = ::read(out_, buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR)) {
      all.append(buffer, static_cast<std::size_t>(std::max<ssize_t>(n, 0)));
    }
    return all;
  }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
};

}  // namespace corvane::testing
