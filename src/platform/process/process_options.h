#pragma once
// Everything that describes one child program before it starts. No shell is involved:
// `argv` is handed to execve as it is, so no argument is ever split, globbed or expanded.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/process/child_stream.h"

namespace corvane::platform {

struct ProcessOptions {
  // argv[0] names the program: a path when it holds a '/' (relative paths are taken from
  // this process's working folder), otherwise it is looked up in PATH (the child's PATH
  // when `environment` sets one, this process's otherwise). The child sees argv[0] as given.
  std::vector<std::string> argv;

  // The child's whole environment as "NAME=value" entries; nothing means this process's own
  // (see ProcessEnvironment to start from it and change a few names).
  std::optional<std::vector<std::string>> environment;

  // The child's working folder; empty keeps this process's.
  std::filesystem::path workingFolder;

  ChildStream stdinStream = ChildStream::devNull();
  ChildStream stdoutStream = ChildStream::inherited();
  ChildStream stderrStream = ChildStream::inherited();

  // Descriptors the child gets as 3, 4, 5... in this order (a tunnel device, a listening
  // socket). Every other descriptor is closed in the child, whatever its close-on-exec flag.
  std::vector<int> passFds;

  // Puts the child at the head of its own process group, so that signals and the final kill
  // reach whatever it starts in turn, and a terminal's Ctrl-C does not reach it.
  bool newProcessGroup = false;
};

}  // namespace corvane::platform
