#pragma once
// The tunnel core's folders and its package name. The shared folder holds the profile
// database and the profile files ("configs/"), the working folder what a running tunnel may
// write, the cache what can be rebuilt. All three are private (0700) to the user.
#include <filesystem>
#include <string_view>

#include "platform/paths/paths.h"

namespace corvane::tunnelcore {

struct FilePath {
  // The application's bundle identifier; the refresh task and the tunnel provider are named
  // after it.
  static constexpr std::string_view packageName = "net.corvane.client";

  std::filesystem::path sharedDirectory;
  std::filesystem::path workingDirectory;
  std::filesystem::path cacheDirectory;

  // Shared and working folders under the data folder, the cache under the cache folder.
  static FilePath fromPaths(const platform::Paths& paths);

  // Where the profile files live: "configs" in the shared folder.
  std::filesystem::path configsDirectory() const { return sharedDirectory / "configs"; }
  // The database of profiles and shared preferences.
  std::filesystem::path databaseFile() const { return sharedDirectory / "core.sqlite"; }
  // The profile server's socket (0600 in the 0700 shared folder: this user only).
  std::filesystem::path profileServerSocket() const { return sharedDirectory / "profile_server.sock"; }
};

}  // namespace corvane::tunnelcore
