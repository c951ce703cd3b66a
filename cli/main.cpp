// corvanectl: the command-line front end over the same core as the app.
#include <algorithm>
#include <iostream>

#include "command.h"
#include "corvane/build_config.h"

namespace corvane::cli {

std::vector<Command>& commandTable() {
  static std::vector<Command> table;
  return table;
}

}  // namespace corvane::cli

int main(int argc, char** argv) {
  using namespace corvane::cli;
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
  return chosen();
}
