// corvanectl keychain get|set|delete KEY: the private item store, service "Corvane" unless
// --service says otherwise.
//
// Values are secrets (the device identifier lives here), so they never travel in argv,
// where every user of the machine can read them: `set` reads the value from stdin (all of
// it, minus one trailing newline; from a terminal it prompts without echo), and `get` masks
// the value unless --reveal is given.
#include <termios.h>
#include <unistd.h>

#include <iostream>
#include <nlohmann/json.hpp>

#include "command.h"
#include "platform/log/log.h"
#include "platform/paths/paths.h"
#include "platform/secitem/sec_item_backend_factory.h"
#include "securestore/keychain_store.h"

namespace corvane::cli {
namespace {

using securestore::KeychainStore;

// Far above any value the client stores; stops `set < /dev/zero` from eating memory.
constexpr std::size_t kMaxValueSize = 64 * 1024;

struct KeychainOptions {
  std::string key;
  std::string service{KeychainStore::kApplicationService};
  bool reveal = false;
};

// Reads the value for `set`. From a terminal: one line typed without echo. Otherwise all
// of stdin, without one trailing "\n" or "\r\n" (what `echo` and here-strings add).
std::optional<std::string> readValue(const std::string& key, std::string& problem) {
  std::string value;
  if (::isatty(STDIN_FILENO)) {
    std::cerr << "Value for " << key << ": " << std::flush;
    termios saved{};
    const bool haveTerminal = ::tcgetattr(STDIN_FILENO, &saved) == 0;
    if (haveTerminal) {
      termios quiet = saved;
      quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
      ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    std::getline(std::cin, value);
    if (haveTerminal) ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
    std::cerr << "\n";
  } else {
    char buffer[4096];
    while (value.size() <= kMaxValueSize && std::cin.read(buffer, sizeof buffer).gcount() > 0) {
      value.append(buffer, static_cast<std::size_t>(std::cin.gcount()));
    }
    if (!value.empty() && value.back() == '\n') {
      value.pop_back();
      if (!value.empty() && value.back() == '\r') value.pop_back();
    }
  }
  if (value.size() > kMaxValueSize) {
    problem = "the value is longer than " + std::to_string(kMaxValueSize) + " bytes";
    return std::nullopt;
  }
  return value;
}

std::string describe(const KeychainOptions& o) {
  return "\"" + o.key + "\" in service \"" + o.service + "\"";
}

nlohmann::json identity(const KeychainOptions& o) {
  return {{"service", o.service}, {"key", o.key}};
}

int runKeychain(const std::string& action, const KeychainOptions& o, const GlobalOptions& global) {
  if (o.key.empty() || o.service.empty()) {
    std::cerr << "corvanectl keychain: the key and the service must not be empty\n";
    return kExitUsage;
  }
  std::optional<std::string> input;
  if (action == "set") {
    std::string problem;
    input = readValue(o.key, problem);
    if (!input) {
      std::cerr << "corvanectl keychain set: " << problem << "\n";
      return kExitUsage;
    }
  }

  platform::Log log = platform::Log::standard("corvanectl", platform::Log::Level::error);
  auto backend = platform::makeSecItemBackend(platform::Paths::fromEnvironment(), log);
  KeychainStore store(*backend, log, o.service);
  nlohmann::json out = identity(o);

  if (action == "get") {
    Error error;
    const auto value = store.stringForKey(o.key, &error);
    if (!error.domain.empty()) {
      std::cerr << "corvanectl keychain get: cannot read " << describe(o) << ": "
                << error.toString() << "\n";
      return kExitFailure;
    }
    if (!value) {
      if (global.json) {
        out["found"] = false;
        std::cout << out.dump() << "\n";
      }
      std::cerr << "corvanectl keychain get: no item " << describe(o) << "\n";
      return kExitFailure;
    }
    const std::string shown = o.reveal ? *value : platform::maskSecret(*value);
    if (global.json) {
      out["found"] = true;
      out["value"] = shown;
      out["masked"] = !o.reveal;
      std::cout << out.dump() << "\n";
    } else {
      std::cout << shown << "\n";
    }
    return kExitOk;
  }

  const Result<void> result = action == "set" ? store.setString(*input, o.key)
                                              : store.removeItemForKey(o.key);
  if (!result) {
    std::cerr << "corvanectl keychain " << action << ": cannot change " << describe(o) << ": "
              << result.error().toString() << "\n";
    // Text that is not UTF-8 is bad input, not a store failure.
    return result.error().code == securestore::keychainerror::kConversionCode ? kExitUsage
                                                                              : kExitFailure;
  }
  if (global.json) {
    out[action == "set" ? "stored" : "removed"] = true;
    std::cout << out.dump() << "\n";
  } else {
    std::cout << (action == "set" ? "stored " : "removed ") << describe(o) << "\n";
  }
  return kExitOk;
}

CORVANE_COMMAND(
    "keychain",
    "Read and write items of the private item store (the device identifier is \"UUID\")",
    [](CLI::App& sub, const GlobalOptions& global) -> std::function<int()> {
      auto options = std::make_shared<KeychainOptions>();
      auto action = std::make_shared<std::string>();
      sub.require_subcommand(1, 1);
      struct Action {
        const char* name;
        const char* summary;
      };
      const Action actions[] = {
          {"get", "Print the value of KEY, masked unless --reveal; exit 1 when there is none"},
          {"set", "Store the value read from stdin (never from the command line) under KEY"},
          {"delete", "Remove KEY; removing a missing key succeeds"},
      };
      for (const Action& a : actions) {
        CLI::App* cmd = sub.add_subcommand(a.name, a.summary);
        cmd->add_option("KEY", options->key, "Item key (the item's account)")->required();
        cmd->add_option("--service", options->service, "Service name (default \"Corvane\")");
        // Lets --json (an option of `keychain`) come after the key: keychain get UUID --json.
        cmd->fallthrough();
        if (std::string(a.name) == "get") {
          cmd->add_flag("--reveal", options->reveal,
                        "Print the value in full; by default only its first characters show");
        }
        cmd->callback([action, name = std::string(a.name)] { *action = name; });
      }
      return [options, action, &global] { return runKeychain(*action, *options, global); };
    });

}  // namespace
}  // namespace corvane::cli
