#pragma once
// Resolves the program a child runs to the path handed to execve.
#include <optional>
#include <string>

#include "platform/core/result.h"

namespace corvane::platform {

// `program` holding a '/' is a path (made absolute against this process's working folder);
// otherwise the first executable regular file of that name in `searchPath` (colon-separated
// folders; empty entries and relative folders are skipped, so the current folder is never
// searched by accident). A missing PATH searches "/usr/local/bin:/usr/bin:/bin".
// Fails with ENOENT or EACCES and a message quoting the program.
Result<std::string> lookUpProgram(const std::string& program, const std::optional<std::string>& searchPath);

}  // namespace corvane::platform
