#include "tunnelcore/remote_profile_updater.h"

#include <boost/url/parse.hpp>

namespace corvane::tunnelcore {
namespace {
constexpr const char* kDomain = "ProfileUpdate";
}

void RemoteProfileUpdater::updateRemoteProfile(Profile profile, Done done) {
  const std::string url = profile.remoteURL.value_or("");
  const auto parsed = boost::urls::parse_absolute_uri(url);
  // Plain HTTP would let anyone on the path hand the tunnel a configuration of their own.
  if (!parsed || parsed->scheme() != "https" || parsed->host().empty()) {
    loader_.async([done = std::move(done), url, id = profile.id] {
      done(Error(kDomain, 1, "profile " + std::to_string(id) + " has no HTTPS address to update from: '" + url + "'"));
    });
    return;
  }
  auto request = platform::UrlRequest::get(url);
  request.maxBodyBytes = Profile::kMaxContentBytes;
  loader_.dataTask(std::move(request), [this, profile = std::move(profile), url,
                                        done = std::move(done)](Result<platform::UrlResponse> answer) mutable {
    if (!answer) {
      done(answer.error());
      return;
    }
    if (answer->status != 200 || !answer->body) {
      done(Error(kDomain, answer->status,
                 "'" + url + "' answered " + std::to_string(answer->status) + (answer->body ? "" : " without content")));
      return;
    }
    if (profile.path.empty()) {
      profile.path = (folders_.configsDirectory() / ("config_" + std::to_string(profile.id) + ".json")).string();
    }
    if (auto written = profile.write(*answer->body); !written) {
      done(written.error());
      return;
    }
    profile.lastUpdated = clock_();
    if (auto saved = profiles_.update(profile); !saved) {
      done(saved.error());
      return;
    }
    done(std::move(profile));
  });
}

}  // namespace corvane::tunnelcore
