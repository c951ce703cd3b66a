// corvanectl defaults: reads and writes the preference stores, as the platform's own
// `defaults` tool does for its stores.
#include <termios.h>
#include <unistd.h>

#include <iostream>
#include <memory>
#include <optional>

#include "keys/preference_key.h"
#include "command.h"
#include "defaults_values.h"
#include "platform/preferences/preference_suite.h"

namespace corvane::cli {
namespace {

using keys::PreferenceType;
using platform::PreferenceSuite;
using platform::PreferenceValue;

constexpr const char* kHelp =
    R"(Stores: the standard store holds every key of the app; --group selects the
application-group store shared with the tunnel service (copies of "username" and "password").

  read [KEY]          print KEY's value (exit 1 when absent), or every entry
  list                every entry with its type
  write KEY [VALUE]   store VALUE; its type is --type, else the key's own type (see the
                      catalogue), else text. Flags take true/false/yes/no/1/0
  delete KEY          remove KEY (exit 1 when absent)

Secrets: "password" and "Config" are printed masked unless --show-secrets is given, and
`write` never takes their value from the command line (where other users could see it in the
process list): VALUE must be "-" or left out, and the value is read from stdin (one line
when stdin is a terminal, without echo; otherwise all of it, less one final newline). Any
other key reads stdin the same way when VALUE is "-" or left out.)";

// Values on stdin are bounded: a preference is a few kilobytes at most.
constexpr std::size_t kMaxStdinBytes = 1 << 20;

struct Options {
  std::string key;
  std::optional<std::string> value;
  std::string type;
  bool group = false;
  bool showSecrets = false;
};

int usage(const std::string& message) {
  std::cerr << "defaults: " << message << "\n";
  return kExitUsage;
}

int failure(const std::string& message) {
  std::cerr << "defaults: " << message << "\n";
  return kExitFailure;
}

// Reads a value from stdin: one line without echo from a terminal, else everything.
std::optional<std::string> readStdin(const std::string& key, bool secret) {
  std::string text;
  if (::isatty(STDIN_FILENO)) {
    std::cerr << key << ": " << std::flush;
    termios saved{};
    const bool hide = secret && ::tcgetattr(STDIN_FILENO, &saved) == 0;
    if (hide) {
      termios quiet = saved;
      quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
      ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    std::getline(std::cin, text);
    if (hide) {
      ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
      std::cerr << "\n";
    }
    return text;
  }
  char buffer[4096];
  while (std::cin.read(buffer, sizeof buffer) || std::cin.gcount() > 0) {
    text.append(buffer, static_cast<std::size_t>(std::cin.gcount()));
    if (text.size() > kMaxStdinBytes) {
      return std::nullopt;
    }
  }
  if (!text.empty() && text.back() == '\n') {
    text.pop_back();
  }
  return text;
}

bool isSecret(PreferenceSuite suite, std::string_view key) {
  auto info = keys::findPreferenceKey(suite, key);
  return info && info->secret;
}

PreferenceValue shown(PreferenceSuite suite, const Options& options, const std::string& key,
                      const PreferenceValue& value) {
  return isSecret(suite, key) && !options.showSecrets ? maskedValue(value) : value;
}

int runRead(platform::SqlitePreferenceStore& store, PreferenceSuite suite, const Options& options,
            bool json, bool withTypes) {
  if (!options.key.empty()) {
    auto value = store.objectForKey(options.key);
    if (!value) {
      return failure("no value for \"" + options.key + "\" in " + store.file().string());
    }
    const PreferenceValue out = shown(suite, options, options.key, *value);
    if (json) {
      std::cout << nlohmann::json{{"key", options.key},
                                  {"type", keys::preferenceTypeName(typeOfValue(*value))},
                                  {"value", jsonValue(out)}}
                       .dump()
                << "\n";
    } else {
      std::cout << plainValue(out) << "\n";
    }
    return kExitOk;
  }
  auto entries = store.entries();
  if (!entries) {
    return failure(entries.error().description);
  }
  nlohmann::json all = withTypes ? nlohmann::json::array() : nlohmann::json::object();
  for (const auto& [key, value] : *entries) {
    const PreferenceValue out = shown(suite, options, key, value);
    const std::string_view type = keys::preferenceTypeName(typeOfValue(value));
    if (json && withTypes) {
      all.push_back({{"key", key}, {"type", type}, {"value", jsonValue(out)}});
    } else if (json) {
      all[key] = jsonValue(out);
    } else if (withTypes) {
      std::cout << key << "\t" << type << "\t" << oneLineValue(out) << "\n";
    } else {
      std::cout << key << " = " << oneLineValue(out) << "\n";
    }
  }
  if (json) {
    std::cout << all.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
  }
  return kExitOk;
}

int runWrite(platform::SqlitePreferenceStore& store, PreferenceSuite suite, const Options& options,
             bool json) {
  PreferenceType type = PreferenceType::text;
  if (!options.type.empty()) {
    auto named = keys::preferenceTypeNamed(options.type);
    if (!named) {
      return usage("unknown type `" + options.type + "' (flag, int or text)");
    }
    type = *named;
  } else if (auto info = keys::findPreferenceKey(suite, options.key)) {
    type = info->type;
  }
  const bool secret = isSecret(suite, options.key);
  std::optional<std::string> text = options.value;
  if (!text || *text == "-") {
    text = readStdin(options.key, secret);
    if (!text) {
      return usage("value on stdin is larger than 1 MiB");
    }
  } else if (secret) {
    return usage("refusing to take \"" + options.key +
                 "\" from the command line; give - and write it on stdin");
  }
  auto value = parseValue(type, *text);
  if (!value) {
    return usage(value.error().description);
  }
  if (auto written = store.write(options.key, *value); !written) {
    return failure("cannot write \"" + options.key + "\": " + written.error().description);
  }
  if (json) {
    std::cout
        << nlohmann::json{{"key", options.key}, {"type", keys::preferenceTypeName(type)}}.dump()
        << "\n";
  }
  return kExitOk;
}

int runDelete(platform::SqlitePreferenceStore& store, const Options& options, bool json) {
  if (!store.objectForKey(options.key)) {
    return failure("no value for \"" + options.key + "\" in " + store.file().string());
  }
  if (auto removed = store.write(options.key, std::nullopt); !removed) {
    return failure("cannot delete \"" + options.key + "\": " + removed.error().description);
  }
  if (json) {
    std::cout << nlohmann::json{{"key", options.key}, {"deleted", true}}.dump() << "\n";
  }
  return kExitOk;
}

std::function<int()> setup(CLI::App& sub, const GlobalOptions& global) {
  auto options = std::make_shared<Options>();
  sub.footer(kHelp);
  sub.require_subcommand(1);
  sub.add_flag("--group", options->group, "Use the application-group store");
  sub.add_flag("--show-secrets", options->showSecrets, "Print secrets in full");

  auto* read = sub.add_subcommand("read", "Print a key's value, or every entry");
  read->add_option("KEY", options->key, "The key (case-sensitive)");
  auto* list = sub.add_subcommand("list", "Print every entry with its type");
  auto* write = sub.add_subcommand("write", "Store a value");
  write->add_option("KEY", options->key, "The key (case-sensitive)")->required();
  write->add_option("VALUE", options->value, "The value, or - (or nothing) to read stdin");
  write->add_option("--type", options->type, "flag, int or text");
  auto* remove = sub.add_subcommand("delete", "Remove a key");
  remove->add_option("KEY", options->key, "The key (case-sensitive)")->required();
  for (CLI::App* action : {read, list, write, remove}) {
    action->fallthrough();
  }

  return [options, &global, read, list, write, remove]() -> int {
    if (options->key.empty() && (write->parsed() || remove->parsed())) {
      return usage("the key is empty");
    }
    const PreferenceSuite suite =
        options->group ? PreferenceSuite::appGroup : PreferenceSuite::standard;
    auto store = platform::openPreferenceStore(
        platform::Paths::fromEnvironment(), suite,
        platform::Log::standard("corvanectl", platform::Log::Level::warning));
    if (!store) {
      return failure("cannot open the preference store: " + store.error().description);
    }
    if (read->parsed() || list->parsed()) {
      return runRead(**store, suite, *options, global.json, list->parsed());
    }
    if (write->parsed()) {
      return runWrite(**store, suite, *options, global.json);
    }
    (void)remove;
    return runDelete(**store, *options, global.json);
  };
}

}  // namespace

CORVANE_COMMAND("defaults", "Read and write the preference stores", setup);

}  // namespace corvane::cli
