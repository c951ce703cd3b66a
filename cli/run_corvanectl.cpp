#include "run_corvanectl.h"

#include <algorithm>
#include <iostream>

#include "command.h"
#include "corvane/build_config.h"
#include "escaping_stream_buffer.h"
#include "securestore/utf8.h"

namespace corvane::cli {

std::vector<Command>& commandTable() {
  static std::vector<Command> table;
  return table;
}

namespace {

// JSON cannot carry bytes that are not UTF-8: with --json such an argument is refused before
// any command runs (and commits a write it could then not report).
int refuseNonUtf8(int argc, char** argv) {
  bool json = false;
  for (int i = 1; i < argc; ++i) json = json || std::string_view(argv[i]) == "--json";
  if (!json) return 0;
  for (int i = 1; i < argc; ++i) {
    if (!securestore::isValidUtf8(argv[i])) {
      std::cerr << "corvanectl: argument " << i << " is not valid UTF-8, which --json cannot print: `"
                << argv[i] << "'\n";
      return kExitUsage;
    }
  }
  return 0;
}

}  // namespace

int runCorvanectl(int argc, char** argv) {
  EscapingStreamBuffer safeOut(std::cout);
  EscapingStreamBuffer safeErr(std::cerr);
  if (const int refused = refuseNonUtf8(argc, argv); refused != 0) return refused;
  CLI::App app{"corvanectl: the Corvane VPN client on the command line"};
  app.set_version_flag("--version", std::string("corvanectl ") + corvane::build::kVersion);
  GlobalOptions global;
  app.add_flag("--json", global.json, "Print machine-readable JSON on stdout");
  app.require_subcommand(0, 1);

  auto& table = commandTable();
  std::sort(table.begin(), table.end(),
            [](const Command& a, const Command& b) { return a.name < b.name; });
  std::function<int()> chosen;
  for (const Command& command : table) {
    CLI::App* sub = app.add_subcommand(command.name, command.summary);
    // --json is accepted after the command name too (corvanectl ping HOST --json).
    sub->add_flag("--json", global.json, "Print machine-readable JSON on stdout");
    auto run = command.setup(*sub, global);
    sub->callback([&chosen, run] { chosen = run; });
  }

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int code = app.exit(e);
    return e.get_exit_code() == 0 ? code : kExitUsage;
  }
  if (!chosen) {
    std::cout << app.help();
    return kExitOk;
  }
  try {
    return chosen();
  } catch (const std::exception& e) {
    // A fault in printing (an encoder refusing a byte) is reported, never an abort.
    std::cerr << "corvanectl: " << e.what() << "\n";
    return kExitFailure;
  }
}

}  // namespace corvane::cli
