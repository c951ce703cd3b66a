#pragma once
// The diagnostic log. Lines go to stderr and to $XDG_STATE_HOME/corvane/corvane.log (see
// Paths) through spdlog. Tests build a Log over a CapturingSink and assert the exact lines.
//
// A Log is a cheap handle (it shares one spdlog logger), passed by value to whatever writes
// lines. It never prints secrets: callers mask passwords, keys and device identifiers first
// (see maskSecret).
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace spdlog {
class logger;
}

namespace corvane::platform {

class CapturingSink;

class Log {
 public:
  enum class Level { debug, info, warning, error };

  // Logs to stderr and to the log file under the state folder. `stderrLevel` filters only
  // what reaches stderr (the CLI keeps its stderr for errors); the file gets everything.
  static Log standard(std::string_view name, Level stderrLevel = Level::info);
  // Logs nowhere but into the returned sink.
  static Log capturing(std::shared_ptr<CapturingSink>& sink);
  // Logs nowhere.
  static Log null();

  void debug(std::string_view line) const { write(Level::debug, line); }
  void info(std::string_view line) const { write(Level::info, line); }
  void warning(std::string_view line) const { write(Level::warning, line); }
  void error(std::string_view line) const { write(Level::error, line); }
  void write(Level level, std::string_view line) const;

 private:
  explicit Log(std::shared_ptr<spdlog::logger> logger) : logger_(std::move(logger)) {}
  std::shared_ptr<spdlog::logger> logger_;
};

// Keeps the bare text of every line (no time stamp, no level) for tests.
class CapturingSink {
 public:
  std::vector<std::string> lines() const;
  bool contains(std::string_view line) const;
  void clear();
  void append(std::string line);

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> lines_;
};

// "abcd…(36 chars)" → the first 4 characters and "…"; empty stays empty.
std::string maskSecret(std::string_view secret);

}  // namespace corvane::platform
