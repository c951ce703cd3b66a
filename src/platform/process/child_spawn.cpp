#include "platform/process/child_spawn.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

extern char** environ;

namespace corvane::platform {
namespace {

constexpr const char* kDomain = "Process";

// Closes what it holds unless released; keeps every error path of a half-built launch tidy.
class OwnedFds {
 public:
  OwnedFds() = default;
  OwnedFds(const OwnedFds&) = delete;
  OwnedFds& operator=(const OwnedFds&) = delete;
  ~OwnedFds() {
    for (int fd : fds_) ::close(fd);
  }
  int keep(int fd) {
    if (fd >= 0) fds_.push_back(fd);
    return fd;
  }

 private:
  std::vector<int> fds_;
};

class SpawnActions {
 public:
  SpawnActions() { ::posix_spawn_file_actions_init(&actions_); }
  ~SpawnActions() { ::posix_spawn_file_actions_destroy(&actions_); }
  SpawnActions(const SpawnActions&) = delete;
  SpawnActions& operator=(const SpawnActions&) = delete;
  posix_spawn_file_actions_t* get() { return &actions_; }

 private:
  posix_spawn_file_actions_t actions_;
};

class SpawnAttributes {
 public:
  SpawnAttributes() { ::posix_spawnattr_init(&attributes_); }
  ~SpawnAttributes() { ::posix_spawnattr_destroy(&attributes_); }
  SpawnAttributes(const SpawnAttributes&) = delete;
  SpawnAttributes& operator=(const SpawnAttributes&) = delete;
  posix_spawnattr_t* get() { return &attributes_; }

 private:
  posix_spawnattr_t attributes_;
};

Error failure(const ProcessOptions& options, int code, const std::string& why) {
  return Error(kDomain, code, "cannot start `" + options.argv.front() + "': " + why);
}

bool validFd(int fd) { return fd >= 0 && ::fcntl(fd, F_GETFD) >= 0; }

std::vector<char*> pointers(const std::vector<std::string>& texts) {
  std::vector<char*> out;
  out.reserve(texts.size() + 1);
  for (const std::string& text : texts) out.push_back(const_cast<char*>(text.c_str()));
  out.push_back(nullptr);
  return out;
}

}  // namespace

Result<SpawnedChild> spawnChild(const ProcessOptions& options, const std::string& programPath) {
  OwnedFds scratch;  // every descriptor made only for the launch
  SpawnedChild child;
  std::array<int, 3> parentEnds{-1, -1, -1};
  auto dropParentEnds = [&parentEnds] {
    for (int& fd : parentEnds) {
      if (fd >= 0) ::close(fd);
      fd = -1;
    }
  };

  // Where each of the child's descriptors 0, 1, 2, 3... comes from in this process.
  std::vector<int> sources;
  const ChildStream* streams[3] = {&options.stdinStream, &options.stdoutStream, &options.stderrStream};
  for (int target = 0; target < 3; ++target) {
    const ChildStream& stream = *streams[target];
    int source = -1;
    switch (stream.kind) {
      case ChildStream::Kind::inherit:
        // A parent started with that descriptor closed passes /dev/null instead, so the
        // child's first open() cannot land on 0-2 and be mistaken for a standard stream.
        source = validFd(target) ? target : scratch.keep(::open("/dev/null", O_RDWR | O_CLOEXEC));
        break;
      case ChildStream::Kind::null:
        source = scratch.keep(::open("/dev/null", O_RDWR | O_CLOEXEC));
        break;
      case ChildStream::Kind::descriptor:
        if (!validFd(stream.fd)) {
          dropParentEnds();
          return failure(options, EBADF, "descriptor " + std::to_string(stream.fd) + " for stream " +
                                             std::to_string(target) + " is not open");
        }
        source = stream.fd;
        break;
      case ChildStream::Kind::pipe: {
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) != 0) {
          const int why = errno;
          dropParentEnds();
          return failure(options, why, std::string("pipe: ") + std::strerror(why));
        }
        const bool childReads = target == 0;
        source = scratch.keep(childReads ? ends[0] : ends[1]);
        parentEnds[target] = childReads ? ends[1] : ends[0];
        ::fcntl(parentEnds[target], F_SETFL, ::fcntl(parentEnds[target], F_GETFL) | O_NONBLOCK);
        break;
      }
    }
    if (source < 0) {
      const int why = errno;
      dropParentEnds();
      return failure(options, why, std::string("/dev/null: ") + std::strerror(why));
    }
    sources.push_back(source);
  }
  for (int fd : options.passFds) {
    if (!validFd(fd)) {
      dropParentEnds();
      return failure(options, EBADF, "descriptor " + std::to_string(fd) + " to pass is not open");
    }
    sources.push_back(fd);
  }

  // Copy every source above the highest target first: dup2 one by one onto 0..n-1 could
  // otherwise overwrite a source that a later target still needs (a pipe end that happens to
  // be 1 when the parent's stdout was closed, passFds {4, 3}). A copy never equals its
  // target, so dup2 also clears its close-on-exec flag in the child.
  const int firstFree = static_cast<int>(sources.size());
  SpawnActions actions;
  for (int target = 0; target < firstFree; ++target) {
    const int copy = scratch.keep(::fcntl(sources[static_cast<std::size_t>(target)], F_DUPFD_CLOEXEC, firstFree));
    if (copy < 0) {
      const int why = errno;
      dropParentEnds();
      return failure(options, why, std::string("dup: ") + std::strerror(why));
    }
    ::posix_spawn_file_actions_adddup2(actions.get(), copy, target);
  }
  // Close everything else in the child, close-on-exec or not: another thread's descriptors
  // opened without O_CLOEXEC (a library's socket) must not leak into an engine.
  ::posix_spawn_file_actions_addclosefrom_np(actions.get(), firstFree);
  if (!options.workingFolder.empty()) {
    std::error_code ignored;
    if (!std::filesystem::is_directory(options.workingFolder, ignored)) {
      dropParentEnds();
      return failure(options, ENOENT, "working folder `" + options.workingFolder.string() + "' does not exist");
    }
    ::posix_spawn_file_actions_addchdir_np(actions.get(), options.workingFolder.c_str());
  }

  // The child starts with no blocked signals and every disposition at its default: this
  // process ignores SIGPIPE and blocks signals on worker threads, and an engine that
  // inherited either would not die when its peer goes or when it is told to stop.
  SpawnAttributes attributes;
  sigset_t none;
  sigset_t all;
  ::sigemptyset(&none);
  ::sigfillset(&all);
  ::posix_spawnattr_setsigmask(attributes.get(), &none);
  ::posix_spawnattr_setsigdefault(attributes.get(), &all);
  short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
  if (options.newProcessGroup) {
    flags |= POSIX_SPAWN_SETPGROUP;
    ::posix_spawnattr_setpgroup(attributes.get(), 0);
  }
  ::posix_spawnattr_setflags(attributes.get(), flags);

  const std::vector<char*> argv = pointers(options.argv);
  std::vector<char*> envp;
  if (options.environment) envp = pointers(*options.environment);
  char* const* environment = options.environment ? envp.data() : environ;
  const int rc = ::posix_spawn(&child.pid, programPath.c_str(), actions.get(), attributes.get(), argv.data(),
                               environment);
  if (rc != 0) {
    dropParentEnds();
    return failure(options, rc, std::strerror(rc));
  }
  child.parentEnds = parentEnds;
  return child;
}

}  // namespace corvane::platform
