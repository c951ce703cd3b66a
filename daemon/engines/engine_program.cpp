#include "daemon/engines/engine_program.h"

#include <fmt/format.h>

#include <cerrno>

#include "platform/process/process_environment.h"

namespace corvane::daemon::engines {

std::optional<engine::EngineError> EngineProgram::start(const std::string& program, const std::vector<std::string>& args,
                                                        const std::vector<std::pair<std::string, std::string>>& environment,
                                                        ExitCallback onExit) {
  stop(std::chrono::seconds(0));
  platform::ProcessOptions options;
  options.argv = {context_.programDir.empty() ? program : (context_.programDir / program).string()};
  options.argv.insert(options.argv.end(), args.begin(), args.end());
  auto env = platform::ProcessEnvironment::current();
  for (const auto& [name, value] : environment) env.set(name, value);
  if (env.find("PATH") == nullptr) env.set("PATH", "/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin");
  options.environment = env.entries();
  options.workingFolder = context_.runtimeDir;
  options.stdoutStream = platform::ChildStream::devNull();
  options.newProcessGroup = true;
  auto process = platform::Process::start(std::move(options));
  if (!process) {
    if (process.error().code == ENOENT || process.error().code == EACCES) {
      return engine::EngineError::missing(fmt::format("{} cannot be run: {}", program, process.error().description));
    }
    return engine::EngineError::failed(fmt::format("{} did not start: {}", program, process.error().description));
  }
  process_.emplace(std::move(*process));
  onExit_ = std::move(onExit);
  if (process_->exitFd() >= 0) watch_ = context_.loop.watchReadable(process_->exitFd(), [this] { onReadable(); });
  return std::nullopt;
}

void EngineProgram::onReadable() { (void)checkRunning(); }

bool EngineProgram::checkRunning() {
  if (!process_) return false;
  auto exit = process_->tryWait();
  if (!exit) return true;  // woken early; the descriptor fires again when it really ends
  if (watch_ != 0) context_.loop.unwatch(watch_);
  watch_ = 0;
  process_.reset();
  // The callback may stop or destroy the engine that owns this; nothing here is used after it.
  if (auto onExit = std::move(onExit_)) onExit(*exit);
  return false;
}

void EngineProgram::stop(std::chrono::steady_clock::duration grace) {
  onExit_ = nullptr;
  if (watch_ != 0) context_.loop.unwatch(watch_);
  watch_ = 0;
  if (process_) (void)process_->stop(grace);
  process_.reset();
}

}  // namespace corvane::daemon::engines
