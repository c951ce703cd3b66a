#pragma once
// After a crash of the daemon its engines' programs keep running (each has its own process
// group, so the daemon's death does not reach them). An engine program is recognised by an
// argument inside the daemon's own runtime folder (its configuration file), which no other
// program names; those are killed before the folder is emptied.
#include <filesystem>

namespace corvane::daemon::engines {

// Returns how many were killed.
int killProgramsUsing(const std::filesystem::path& folder);

}  // namespace corvane::daemon::engines
