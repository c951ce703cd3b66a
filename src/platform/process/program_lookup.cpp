#include "platform/process/program_lookup.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

namespace corvane::platform {
namespace {

constexpr const char* kDomain = "Process";
constexpr const char* kDefaultSearchPath = "/usr/local/bin:/usr/bin:/bin";

bool executableFile(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

Result<std::string> lookUpProgram(const std::string& program, const std::optional<std::string>& searchPath) {
  if (program.empty()) return Error(kDomain, ENOENT, "no program named (empty argv[0])");
  if (program.find('\0') != std::string::npos) {
    return Error(kDomain, EINVAL, "program name holds a NUL byte");
  }
  if (program.find('/') != std::string::npos) {
    std::error_code ignored;
    const std::string path = std::filesystem::absolute(program, ignored).string();
    if (executableFile(path)) return path;
    const int why = ::access(path.c_str(), F_OK) == 0 ? EACCES : ENOENT;
    return Error(kDomain, why,
                 "cannot run `" + program + "': " + (why == EACCES ? "not an executable file" : "no such file"));
  }
  const std::string folders = searchPath.value_or(kDefaultSearchPath);
  std::size_t start = 0;
  while (start <= folders.size()) {
    const std::size_t end = std::min(folders.find(':', start), folders.size());
    const std::string folder = folders.substr(start, end - start);
    start = end + 1;
    if (folder.empty() || folder.front() != '/') continue;
    const std::string candidate = folder + "/" + program;
    if (executableFile(candidate)) return candidate;
  }
  return Error(kDomain, ENOENT, "cannot run `" + program + "': not found in PATH");
}

}  // namespace corvane::platform
