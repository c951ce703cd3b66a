#pragma once
// corvanectl's whole run: the command table parsed into a CLI11 app, the chosen command run,
// and its exit code returned (kExitUsage for bad arguments, kExitFailure for a fault while
// printing). Output goes through the escaping stream buffers, so terminal controls in text
// from a server are shown as escapes.
namespace corvane::cli {

int runCorvanectl(int argc, char** argv);

}  // namespace corvane::cli
