#pragma once
// Runs `nft` with a script on stdin (or arguments), bounded in time and output. The scripts
// hold addresses and ports only, never secrets.
#include <string>
#include <vector>

#include "platform/core/result.h"

namespace corvane::daemon::engines::transparent {

// The system's nft, also when a test moves the engines' programs away.
Result<std::string> runNft(std::vector<std::string> args, const std::string& input = {});

}  // namespace corvane::daemon::engines::transparent
