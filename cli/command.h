#pragma once
// corvanectl's command table. Each command lives in its own file and registers itself with
// CORVANE_COMMAND; main() builds the CLI11 app from the table, so the table doubles as the
// usage text. A command's run function returns the process exit code.
#include <CLI/CLI.hpp>

#include <functional>
#include <string>
#include <vector>

namespace corvane::cli {

// Options every command sees.
struct GlobalOptions {
  bool json = false;
};

// Exit codes shared by the commands.
enum ExitCode : int {
  kExitOk = 0,
  kExitFailure = 1,  // the operation ran and failed (no reply, refused, server error)
  kExitUsage = 2,    // bad arguments, unknown names, unreadable input
};

struct Command {
  std::string name;
  std::string summary;
  // Adds the command's options to `sub`, and returns what runs when it was chosen.
  std::function<std::function<int()>(CLI::App& sub, const GlobalOptions& global)> setup;
};

std::vector<Command>& commandTable();

struct CommandRegistrar {
  explicit CommandRegistrar(Command command) { commandTable().push_back(std::move(command)); }
};

}  // namespace corvane::cli

#define CORVANE_COMMAND_CAT2(a, b) a##b
#define CORVANE_COMMAND_CAT(a, b) CORVANE_COMMAND_CAT2(a, b)
#define CORVANE_COMMAND(...)                                                                   \
  static const ::corvane::cli::CommandRegistrar CORVANE_COMMAND_CAT(corvaneCommand, __LINE__)( \
      ::corvane::cli::Command{__VA_ARGS__})
