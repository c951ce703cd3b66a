#include "tunnelcore/tunnel_core.h"

namespace corvane::tunnelcore {

Result<std::unique_ptr<TunnelCore>> TunnelCore::open(FilePath folders, platform::TunnelDaemon& daemon,
                                                     platform::UrlLoader& loader, platform::MainLoop& loop,
                                                     platform::Queue& background,
                                                     platform::NotificationCenter& notifications) {
  auto database = CoreDatabase::open(folders.databaseFile());
  if (!database) return database.error();
  return std::unique_ptr<TunnelCore>(
      new TunnelCore(std::move(folders), std::move(*database), daemon, loader, loop, background, notifications));
}

TunnelCore::TunnelCore(FilePath f, std::unique_ptr<CoreDatabase> database, platform::TunnelDaemon& d,
                       platform::UrlLoader& l, platform::MainLoop& ml, platform::Queue& bg,
                       platform::NotificationCenter& notifications)
    : folders(std::move(f)),
      daemon(d),
      loader(l),
      loop(ml),
      background(bg),
      database_(std::move(database)),
      profiles(*database_),
      sharedPreferences(*database_),
      environments(notifications, loop, daemon),
      extensionProfile(daemon, profiles, sharedPreferences, background, loop),
      updater(loader, profiles, folders) {}

}  // namespace corvane::tunnelcore
