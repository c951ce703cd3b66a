#include "platform/log/log.h"

#include "platform/log/control_escaper.h"

#include <spdlog/logger.h>
#include <spdlog/sinks/base_sink.h>
#include <spdlog/sinks/basic_file_sink.h>
#include <spdlog/sinks/stdout_color_sinks.h>
#include <spdlog/spdlog.h>

#include <algorithm>
#include <iostream>

#include "platform/paths/paths.h"

namespace corvane::platform {
namespace {

spdlog::level::level_enum toSpdlog(Log::Level level) {
  switch (level) {
    case Log::Level::debug:
      return spdlog::level::debug;
    case Log::Level::info:
      return spdlog::level::info;
    case Log::Level::warning:
      return spdlog::level::warn;
    case Log::Level::error:
      return spdlog::level::err;
  }
  return spdlog::level::info;
}

// Forwards each line's bare text into a CapturingSink.
class CaptureAdapter final : public spdlog::sinks::base_sink<std::mutex> {
 public:
  explicit CaptureAdapter(std::shared_ptr<CapturingSink> target) : target_(std::move(target)) {}

 protected:
  void sink_it_(const spdlog::details::log_msg& msg) override {
    target_->append(std::string(msg.payload.data(), msg.payload.size()));
  }
  void flush_() override {}

 private:
  std::shared_ptr<CapturingSink> target_;
};

}  // namespace

Log Log::standard(std::string_view name, Level stderrLevel) {
  std::vector<spdlog::sink_ptr> sinks;
  auto console = std::make_shared<spdlog::sinks::stderr_color_sink_mt>();
  console->set_level(toSpdlog(stderrLevel));
  console->set_pattern("%v");
  sinks.push_back(console);
  try {
    const Paths paths = Paths::fromEnvironment();
    ensurePrivateDirectory(paths.state);
    auto file = std::make_shared<spdlog::sinks::basic_file_sink_mt>((paths.state / "corvane.log").string());
    file->set_pattern("%Y-%m-%dT%H:%M:%S.%e %n[%P] %l: %v");
    sinks.push_back(file);
  } catch (const std::exception& e) {
    // A read-only home must not stop the program; the lines still reach stderr.
    std::cerr << "log file unavailable: " << e.what() << "\n";
  }
  auto logger = std::make_shared<spdlog::logger>(std::string(name), sinks.begin(), sinks.end());
  logger->set_level(spdlog::level::debug);
  logger->flush_on(spdlog::level::debug);
  return Log(std::move(logger));
}

Log Log::capturing(std::shared_ptr<CapturingSink>& sink) {
  if (!sink) {
    sink = std::make_shared<CapturingSink>();
  }
  auto logger = std::make_shared<spdlog::logger>("capture", std::make_shared<CaptureAdapter>(sink));
  logger->set_level(spdlog::level::debug);
  return Log(std::move(logger));
}

Log Log::null() { return Log(nullptr); }

void Log::write(Level level, std::string_view line) const {
  if (logger_) {
    // Lines quote text from servers and users; none of it may drive the terminal that
    // shows stderr, or split one entry into two in the file.
    logger_->log(toSpdlog(level), "{}", ControlEscaper::escaped(line, /*escapeLineBreaks=*/true));
  }
}

std::vector<std::string> CapturingSink::lines() const {
  std::lock_guard lock(mutex_);
  return lines_;
}

bool CapturingSink::contains(std::string_view line) const {
  std::lock_guard lock(mutex_);
  return std::find(lines_.begin(), lines_.end(), line) != lines_.end();
}

void CapturingSink::clear() {
  std::lock_guard lock(mutex_);
  lines_.clear();
}

void CapturingSink::append(std::string line) {
  std::lock_guard lock(mutex_);
  lines_.push_back(std::move(line));
}

std::string maskSecret(std::string_view secret) {
  if (secret.empty()) {
    return {};
  }
  const std::size_t keep = std::min<std::size_t>(4, secret.size() / 4);
  return std::string(secret.substr(0, keep)) + "…";
}

}  // namespace corvane::platform
