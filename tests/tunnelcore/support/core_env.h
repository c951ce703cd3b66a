#pragma once
// A tunnel core of its own for one test: folders under a fresh home, the real database, a
// manual loop on virtual time with a serial background queue on it, and the fake tunnel
// service on the same clock.
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

#include "platform/mainloop/manual/manual_loop.h"
#include "platform/mainloop/manual/manual_queue.h"
#include "platform/notifications/notification_center.h"
#include "platform/paths/paths.h"
#include "platform/vpn/test/fake_tunnel_daemon.h"
#include "tunnelcore/core_database.h"
#include "tunnelcore/core_setup.h"
#include "tunnelcore/file_path.h"
#include "tunnelcore/profile_manager.h"
#include "tunnelcore/shared_preferences.h"

namespace corvane::test {

class CoreEnv {
 public:
  CoreEnv() : home_(makeHome()), folders(tunnelcore::FilePath::fromPaths(platform::Paths::underHome(home_))) {
    if (!tunnelcore::CoreSetup(folders.sharedDirectory, folders.workingDirectory, folders.cacheDirectory, false)) {
      throw std::runtime_error("CoreSetup failed");
    }
    reopen();
  }
  ~CoreEnv() {
    loop.runPending();
    std::error_code ignored;
    std::filesystem::remove_all(home_, ignored);
  }

  // A fresh connection to the same database, as another process would open it.
  void reopen() {
    profiles.reset();
    preferences.reset();
    auto opened = tunnelcore::CoreDatabase::open(folders.databaseFile());
    if (!opened) throw std::runtime_error(opened.error().toString());
    database = std::move(*opened);
    profiles = std::make_unique<tunnelcore::ProfileManager>(*database);
    preferences = std::make_unique<tunnelcore::SharedPreferences>(*database);
  }

  // A local profile with `content` in its own file, stored.
  tunnelcore::Profile addProfile(std::int64_t id, const std::string& content, std::string name = "Corvane") {
    tunnelcore::Profile p;
    p.id = id;
    p.name = std::move(name);
    p.path = (folders.configsDirectory() / ("config_" + std::to_string(id) + ".json")).string();
    if (!p.write(content) || !profiles->create(p)) throw std::runtime_error("addProfile failed");
    return p;
  }

  const std::filesystem::path& home() const { return home_; }

 private:
  static std::filesystem::path makeHome() {
    std::string pattern = (std::filesystem::temp_directory_path() / "corvane-core-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    return pattern;
  }
  std::filesystem::path home_;

 public:
  tunnelcore::FilePath folders;
  platform::ManualLoop loop;
  platform::ManualQueue background{loop};
  platform::NotificationCenter notifications;
  platform::FakeTunnelDaemon daemon{loop};
  std::unique_ptr<tunnelcore::CoreDatabase> database;
  std::unique_ptr<tunnelcore::ProfileManager> profiles;
  std::unique_ptr<tunnelcore::SharedPreferences> preferences;
};

}  // namespace corvane::test
