#pragma once
// Everything of the tunnel core one process holds, built once by the composition root after
// CoreSetup: the database with its profiles and shared preferences, the environments with
// their shared command client, the extension profile and the remote updater. The services it
// is built on (tunnel service client, loader, loop, background queue, notifications) are not
// owned and must outlive it.
#include <memory>

#include "platform/mainloop/main_loop.h"
#include "platform/mainloop/queue.h"
#include "platform/notifications/notification_center.h"
#include "platform/url/url_loader.h"
#include "platform/vpn/tunnel_daemon.h"
#include "tunnelcore/core_database.h"
#include "tunnelcore/extension_environments.h"
#include "tunnelcore/extension_profile.h"
#include "tunnelcore/file_path.h"
#include "tunnelcore/profile_manager.h"
#include "tunnelcore/remote_profile_updater.h"
#include "tunnelcore/shared_preferences.h"

namespace corvane::tunnelcore {

class TunnelCore {
 public:
  // Opens the database in `folders.sharedDirectory` (CoreSetup must have run).
  static Result<std::unique_ptr<TunnelCore>> open(FilePath folders, platform::TunnelDaemon& daemon,
                                                  platform::UrlLoader& loader, platform::MainLoop& loop,
                                                  platform::Queue& background,
                                                  platform::NotificationCenter& notifications);

  const FilePath folders;
  platform::TunnelDaemon& daemon;
  platform::UrlLoader& loader;
  platform::MainLoop& loop;
  platform::Queue& background;  // serial: profile saves and loads keep their order

 private:
  std::unique_ptr<CoreDatabase> database_;

 public:
  ProfileManager profiles;
  SharedPreferences sharedPreferences;
  ExtensionEnvironments environments;
  ExtensionProfile extensionProfile;
  RemoteProfileUpdater updater;

 private:
  TunnelCore(FilePath folders, std::unique_ptr<CoreDatabase> database, platform::TunnelDaemon& daemon,
             platform::UrlLoader& loader, platform::MainLoop& loop, platform::Queue& background,
             platform::NotificationCenter& notifications);
};

}  // namespace corvane::tunnelcore
