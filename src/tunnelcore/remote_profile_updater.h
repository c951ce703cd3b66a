#pragma once
// Refreshes a remote profile's content from its URL: an HTTPS GET (certificates always
// verified), an answer of at most Profile::kMaxContentBytes with status 200 and a body, the
// content replaced crash-safely, and lastUpdated set. A profile without a file gets
// "configs/config_<id>.json". A failed update leaves the old content and record as they were.
#include <functional>

#include "platform/core/result.h"
#include "platform/url/url_loader.h"
#include "tunnelcore/file_path.h"
#include "tunnelcore/profile.h"
#include "tunnelcore/profile_manager.h"

namespace corvane::tunnelcore {

class RemoteProfileUpdater {
 public:
  using Clock = std::function<WallClock::time_point()>;
  using Done = std::function<void(Result<Profile>)>;

  RemoteProfileUpdater(platform::UrlLoader& loader, ProfileManager& profiles, FilePath folders,
                       Clock clock = [] { return WallClock::now(); })
      : loader_(loader), profiles_(profiles), folders_(std::move(folders)), clock_(std::move(clock)) {}

  // `done` runs on the loader's callback queue with the updated record.
  void updateRemoteProfile(Profile profile, Done done);

 private:
  platform::UrlLoader& loader_;
  ProfileManager& profiles_;
  FilePath folders_;
  Clock clock_;
};

}  // namespace corvane::tunnelcore
