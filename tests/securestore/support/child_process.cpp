#include "securestore/support/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <stdexcept>
#include <thread>

#include "corvane/build_config.h"

extern char** environ;

namespace corvane::testing {
namespace {

using Clock = std::chrono::steady_clock;

std::vector<std::string> mergedEnvironment(const std::map<std::string, std::string>& extra) {
  std::vector<std::string> out;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    if (!extra.contains(text.substr(0, text.find('=')))) out.push_back(text);
  }
  for (const auto& [name, value] : extra) out.push_back(name + "=" + value);
  return out;
}

std::vector<char*> pointers(std::vector<std::string>& texts) {
  std::vector<char*> out;
  for (std::string& text : texts) out.push_back(text.data());
  out.push_back(nullptr);
  return out;
}

pid_t spawnWith(const std::string& program, std::vector<std::string> args,
                const std::map<std::string, std::string>& environment,
                posix_spawn_file_actions_t* actions) {
  args.insert(args.begin(), program);
  std::vector<std::string> env = mergedEnvironment(environment);
  auto argv = pointers(args);
  auto envp = pointers(env);
  pid_t pid = 0;
  if (const int rc = ::posix_spawn(&pid, program.c_str(), actions, nullptr, argv.data(), envp.data());
      rc != 0) {
    throw std::runtime_error("cannot start " + program + ": " + std::strerror(rc));
  }
  return pid;
}

}  // namespace

std::string programPath(const std::string& name) { return std::string(build::kBinaryDir) + "/" + name; }

pid_t spawnProgram(const std::string& program, const std::vector<std::string>& args,
                   const std::map<std::string, std::string>& environment) {
  return spawnWith(program, args, environment, nullptr);
}

int waitForExit(pid_t pid, std::chrono::milliseconds limit) {
  const auto deadline = Clock::now() + limit;
  int status = 0;
  while (true) {
    const pid_t done = ::waitpid(pid, &status, WNOHANG);
    if (done == pid) break;
    if (done < 0) return -1;
    if (Clock::now() > deadline) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return WEXITSTATUS(status);
}

ProgramRun runProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::string& input, const std::map<std::string, std::string>& environment,
                      std::chrono::milliseconds limit) {
  int in[2], out[2], err[2];
  if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) {
    throw std::runtime_error("pipe failed");
  }
  posix_spawn_file_actions_t actions;
  ::posix_spawn_file_actions_init(&actions);
  ::posix_spawn_file_actions_adddup2(&actions, in[0], 0);
  ::posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  ::posix_spawn_file_actions_adddup2(&actions, err[1], 2);
  const pid_t pid = spawnWith(program, args, environment, &actions);
  ::posix_spawn_file_actions_destroy(&actions);
  ::close(in[0]);
  ::close(out[1]);
  ::close(err[1]);

  // The whole input fits a pipe buffer in these tests (< 64 KiB), so write it before reading.
  ::signal(SIGPIPE, SIG_IGN);
  if (!input.empty()) {
    [[maybe_unused]] const ssize_t n = ::write(in[1], input.data(), input.size());
  }
  ::close(in[1]);

  ProgramRun run;
  pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
  std::string* sinks[2] = {&run.out, &run.err};
  const auto deadline = Clock::now() + limit;
  int open = 2;
  while (open > 0 && Clock::now() < deadline) {
    if (::poll(fds, 2, 100) < 0) break;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char buffer[4096];
      const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
      if (n > 0) {
        sinks[i]->append(buffer, static_cast<std::size_t>(n));
      } else {
        ::close(fds[i].fd);
        fds[i].fd = -1;
        --open;
      }
    }
  }
  for (const pollfd& fd : fds) {
    if (fd.fd >= 0) ::close(fd.fd);
  }
  run.exitCode = waitForExit(pid, std::chrono::seconds(5));
  return run;
}

}  // namespace corvane::testing
