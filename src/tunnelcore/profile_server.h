#pragma once
// Serves the profile list and profile previews, read-only, to this user's other programs
// (corvanectl profiles) over a 0600 Unix socket in the shared folder. One request line per
// connection, one JSON answer line, then the server closes:
//   "list"          {"selectedProfileID":n,"profiles":[{"id","name","order","type","autoUpdate",
//                    "lastUpdated"(unix seconds or null)}...]}
//   "preview <id>"  {"id","name","engine","bytes","lastUpdated"}   (never the content: keys)
//   anything else   {"error":"<what was wrong, quoting the request>"}
// Runs on the main loop. A connection that sends nothing within 2 s, or more than 256 bytes
// without a newline, is closed; at most 16 connections are served at once.
#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "platform/core/result.h"
#include "platform/log/log.h"
#include "platform/mainloop/main_loop.h"
#include "tunnelcore/file_path.h"
#include "tunnelcore/profile_manager.h"
#include "tunnelcore/shared_preferences.h"

namespace corvane::tunnelcore {

class ProfileServer {
 public:
  static constexpr std::size_t kMaxRequestBytes = 256;
  static constexpr std::size_t kMaxConnections = 16;

  // Binds the socket. Fails when another server of this user answers on it already; a stale
  // socket file left by a crashed server is replaced.
  static Result<std::unique_ptr<ProfileServer>> create(const FilePath& folders, ProfileManager& profiles,
                                                       SharedPreferences& preferences, platform::MainLoop& loop,
                                                       platform::Log log);
  ~ProfileServer();
  ProfileServer(const ProfileServer&) = delete;
  ProfileServer& operator=(const ProfileServer&) = delete;

  // Starts accepting connections.
  void start();

  // The answer line (without newline) to one request line: what a connection gets.
  std::string answer(const std::string& request);

 private:
  ProfileServer(std::string socketPath, int listener, ProfileManager& profiles, SharedPreferences& preferences,
                platform::MainLoop& loop, platform::Log log);
  void accept();
  void readFrom(int fd);
  void close(int fd);

  struct Connection {
    platform::WatchId watch = 0;
    platform::TimerId deadline = 0;
    std::string buffer;
  };

  std::string socketPath_;
  int listener_;
  ProfileManager& profiles_;
  SharedPreferences& preferences_;
  platform::MainLoop& loop_;
  platform::Log log_;
  platform::WatchId acceptWatch_ = 0;
  bool started_ = false;
  std::map<int, Connection> connections_;
};

}  // namespace corvane::tunnelcore
