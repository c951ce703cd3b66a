#include "tunnelcore/extension_profile.h"

#include <memory>

#include "tunnelcore/profile_engine.h"

namespace corvane::tunnelcore {

ExtensionProfile::ExtensionProfile(platform::TunnelDaemon& daemon, ProfileManager& profiles,
                                   SharedPreferences& preferences, platform::Queue& background,
                                   platform::MainLoop& loop)
    : daemon_(daemon), profiles_(profiles), preferences_(preferences), background_(background), loop_(loop) {}

void ExtensionProfile::install(Done done) {
  daemon_.listManagers([done = std::move(done)](Result<std::vector<platform::ManagerSettings>> answer) {
    if (!answer) {
      done(answer.error());
      return;
    }
    done(Result<void>::success());
  });
}

void ExtensionProfile::start(Done done) {
  background_.async([this, done = std::move(done)]() mutable {
    auto read = [this]() -> Result<platform::ProfileStart> {
      auto selected = preferences_.selectedProfileID();
      if (!selected) return selected.error();
      auto profile = profiles_.get(*selected);
      if (!profile) return profile.error();
      if (!profile->has_value()) {
        return Error("Profile missing", 0, "no profile " + std::to_string(*selected) + " is selected");
      }
      auto content = (*profile)->read();
      if (!content) return content.error();
      auto engine = profileEngine(*content);
      if (!engine) return engine.error();
      return platform::ProfileStart{std::move(*engine), std::move(*content), (*profile)->name};
    };
    loop_.post([this, start = std::make_shared<Result<platform::ProfileStart>>(read()), done = std::move(done)] {
      if (!*start) {
        done(start->error());
        return;
      }
      daemon_.startProfile(std::move(start->value()), done);
    });
  });
}

void ExtensionProfile::stop() {
  daemon_.stop([](Result<void>) {});
}

platform::DaemonObservation ExtensionProfile::observeStatus(std::function<void(platform::VpnStatus)> onStatus) {
  auto last = std::make_shared<platform::VpnStatus>(daemon_.state().status);
  return platform::DaemonObservation(
      daemon_, daemon_.observe(
                   [last, onStatus = std::move(onStatus)](const platform::TunnelState& state) {
                     if (state.status == *last) return;
                     *last = state.status;
                     onStatus(state.status);
                   },
                   nullptr));
}

}  // namespace corvane::tunnelcore
