// corvanectl connect: the power button, pressed to connect to the chosen server.
#include "power_flow.h"

namespace corvane::cli {

CORVANE_COMMAND("connect", "Press the power button to connect to the chosen server; prints the status when up",
                [](CLI::App&, const GlobalOptions& global) -> std::function<int()> {
                  return [&global] { return runPower(global, true); };
                });

}  // namespace corvane::cli
