#include "app/application_delegate.h"

#include "tunnel/service_addresses.h"
#include "tunnelcore/core_setup.h"

namespace corvane::app {

ApplicationDelegate::~ApplicationDelegate() { *alive_ = false; }

bool ApplicationDelegate::didFinishLaunching() {
  services_.log.info("Here I stand");
  const auto& folders = services_.core.folders;
  if (auto setup = tunnelcore::CoreSetup(folders.sharedDirectory, folders.workingDirectory, folders.cacheDirectory,
                                         false);
      !setup) {
    services_.log.error("CoreSetup error: " + setup.error().toString());
  }
  services_.core.loop.post([this, alive = alive_] {
    if (*alive) startup();
  });
  return true;
}

void ApplicationDelegate::startup() {
  services_.updateTask.configure([this](Result<void> configured) {
    if (configured) {
      services_.log.info("setup background task success");
    } else {
      services_.log.error("setup background task error: " + configured.error().description);
    }
  });
  if (services_.idiom == platform::UserInterfaceIdiom::phone) {
    networkPermissionStep([this, alive = alive_] {
      if (*alive) startProfileServer();
    });
  } else {
    startProfileServer();
  }
}

void ApplicationDelegate::networkPermissionStep(std::function<void()> next) {
  auto& shared = services_.core.sharedPreferences;
  auto requested = shared.networkPermissionRequested();
  if (!requested) services_.log.warning("networkPermissionRequested: " + requested.error().toString());
  if (!requested || *requested) return next();
  if (!services_.glyphProbe.flagRendersGrey()) {
    (void)shared.setNetworkPermissionRequested(true);
    return next();
  }
  // The probe is sent and not waited for; only a 200 sets the flag, anything else leaves it
  // for the next launch to try again.
  services_.core.loader.dataTask(platform::UrlRequest::get(tunnel::probeUrl()),
                                 [&loop = services_.core.loop, &shared](Result<platform::UrlResponse> answer) {
                                   if (!answer || answer->status != 200) return;
                                   loop.post([&shared] { (void)shared.setNetworkPermissionRequested(true); });
                                 });
  next();
}

void ApplicationDelegate::startProfileServer() {
  auto server = tunnelcore::ProfileServer::create(services_.core.folders, services_.core.profiles,
                                                  services_.core.sharedPreferences, services_.core.loop, services_.log);
  startupFinished_ = true;
  if (!server) {
    services_.log.error("setup profile server error: " + server.error().description);
    return;
  }
  (*server)->start();
  profileServer_ = std::move(*server);
  services_.log.info("started profile server");
}

}  // namespace corvane::app
