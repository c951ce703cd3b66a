// corvanectl disconnect: the power button, pressed to take the tunnel down.
#include "power_flow.h"

namespace corvane::cli {

CORVANE_COMMAND("disconnect", "Press the power button to disconnect; prints the status when down",
                [](CLI::App&, const GlobalOptions& global) -> std::function<int()> {
                  return [&global] { return runPower(global, false); };
                });

}  // namespace corvane::cli
