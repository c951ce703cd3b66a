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
#include "platform/process/process_run.h"

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
  platform::ProcessOptions options;
  options.argv = args;
  options.argv.insert(options.argv.begin(), program);
  options.environment = mergedEnvironment(environment);
  // Input and output move together through one poll loop, so neither side can stall the other.
  auto run = platform::runProcess(std::move(options), input, {limit, 64 << 20});
  if (!run) throw std::runtime_error(run.error().description);
  return ProgramRun{run->timedOut ? -1 : run->exit.shellCode(), std::move(run->out), std::move(run->err)};
}

}  // namespace corvane::testing
