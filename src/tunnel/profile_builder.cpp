#include "tunnel/profile_builder.h"

#include <memory>

#include "keys/preference_key.h"
#include "tunnelcore/standalone_command_client.h"

namespace corvane::tunnel {
namespace {

using tunnelcore::Profile;

// The first run's work: the profile file and the record. An existing record of the same id
// (the preferences were reset, the database was not) counts as done.
Result<void> createProfile(tunnelcore::TunnelCore& core, tunnelcore::ProfileType type, bool autoUpdate,
                           std::int32_t interval) {
  auto existing = core.profiles.get(ProfileBuilder::kCreatedProfileID);
  if (!existing) return existing.error();
  if (existing->has_value()) return {};
  auto id = core.profiles.nextID();
  if (!id) return id.error();
  Profile p;
  p.id = ProfileBuilder::kCreatedProfileID;
  p.name = "Corvane";
  p.order = 0;
  p.type = type;
  p.autoUpdate = autoUpdate;
  p.autoUpdateInterval = interval;
  if (type == tunnelcore::ProfileType::local) {
    p.path = (core.folders.configsDirectory() / ("config_" + std::to_string(*id) + ".json")).string();
    if (auto written = p.write("{}"); !written) return written.error();
  }
  auto created = core.profiles.create(p);
  if (!created) return created.error();
  return {};
}

}  // namespace

ProfileBuilder::ProfileBuilder(screenkit::Services services, tunnelcore::TunnelCore& core,
                               std::optional<std::int64_t> id, bool isReadOnly)
    : ScreenModel(std::move(services)), profileID(id), readOnly(isReadOnly), core_(core) {
  auto& center = services_.notifications;
  profileUpdate_ = platform::ObserverRegistration(
      center, center.addObserver(tunnelcore::ExtensionEnvironments::kProfileUpdate, [this] { reloadProfiles(); }));
  selectedProfileUpdate_ = platform::ObserverRegistration(
      center, center.addObserver(tunnelcore::ExtensionEnvironments::kSelectedProfileUpdate, [this] {
        background([this, &core = core_, current = selectedProfileID]() -> std::function<void()> {
          auto selected = core.sharedPreferences.selectedProfileID();
          return [this, selected = selected ? *selected : current] {
            selectedProfileID = selected;
            const auto status = core_.extensionProfile.vpnStatus();
            if (status >= platform::VpnStatus::connecting) refreshSystemProxy();
          };
        });
      }));
}

ProfileBuilder::~ProfileBuilder() = default;

void ProfileBuilder::background(std::function<std::function<void()>()> work) {
  ++pending_;
  core_.background.async([hop = hop(), self = this, work = std::move(work)] {
    auto onMain = work();
    hop([self, onMain = std::move(onMain)] {
      --self->pending_;
      onMain();
      self->changed();
    });
  });
}

void ProfileBuilder::onShown() {
  createProfileInBackground();
  reloadProfiles();
  refreshSystemProxy();
  applyConfig();
}

void ProfileBuilder::createProfileInBackground() {
  if (services_.preferences.get(keys::pref::createProfileBackground)) return;
  // Written first so that a second show while this runs does not create twice.
  services_.preferences.set(keys::pref::createProfileBackground, true);
  background([this, &core = core_, type = profileType, update = autoUpdate,
              interval = autoUpdateInterval]() -> std::function<void()> {
    auto created = createProfile(core, type, update, interval);
    return [this, created] {
      if (!created) {
        // Not creating it again would leave the user without a profile to connect with for
        // good; the next show tries again.
        services_.log.error("createProfileInBackground error: " + created.error().toString());
        services_.preferences.set(keys::pref::createProfileBackground, false);
        return;
      }
      core_.environments.sendProfileUpdate();
      core_.extensionProfile.install([this, alive = lifetime()](Result<void> installed) {
        if (!alive.lock()) return;
        if (!installed) {
          services_.log.warning("install error: " + installed.error().toString());
          return;
        }
        core_.environments.reload([](Result<void>) {});
      });
    };
  });
}

void ProfileBuilder::reloadProfiles() {
  background([this, &core = core_]() -> std::function<void()> {
    auto list = core.profiles.list();
    std::optional<std::int64_t> selected;
    std::optional<Error> error;
    if (!list) {
      error = list.error();
    } else if (!list->empty()) {
      auto stored = core.sharedPreferences.selectedProfileID();
      if (!stored) {
        error = stored.error();
      } else {
        selected = *stored;
        const bool listed = std::any_of(list->begin(), list->end(), [&](const Profile& p) { return p.id == *stored; });
        if (!listed) {
          // A selection that is gone is replaced by the first profile; the extension starts
          // whatever is selected, so it must name one that exists.
          selected = list->front().id;
          if (auto saved = core.sharedPreferences.setSelectedProfileID(*selected); !saved) error = saved.error();
        }
      }
    }
    std::vector<tunnelcore::ProfilePreview> previews;
    if (list) {
      for (const auto& p : *list) previews.emplace_back(p);
    }
    return [this, previews = std::move(previews), selected, error] {
      if (error) services_.log.error("reloadProfiles error: " + error->toString());
      if (!error || !previews.empty()) profileList = previews;
      if (selected) selectedProfileID = *selected;
    };
  });
}

void ProfileBuilder::refreshSystemProxy() {
  auto client = tunnelcore::CoreNewStandaloneCommandClient(core_.daemon);
  client.getSystemProxyStatus([this, alive = lifetime()](Result<tunnelcore::SystemProxyStatus> status) {
    if (!alive.lock()) return;
    if (!status) {
      services_.log.warning("getSystemProxyStatus error: " + status.error().toString());
      return;
    }
    systemProxyAvailable = status->available;
    systemProxyEnabled = status->enabled;
    changed();
  });
}

void ProfileBuilder::applyConfig() {
  setProfileConfig(services_.preferences.get(keys::pref::config).value_or("{}"));
  after(platform::seconds(1.0), [this] { setProfileConfig(services_.preferences.get(keys::pref::config).value_or("{}")); });
}

void ProfileBuilder::setProfileConfig(std::string text) {
  profileConfig = std::move(text);
  isChanged = true;
  saveAndLoadProfile();
}

void ProfileBuilder::saveAndLoadProfile() {
  isSaving = true;
  background([this, &core = core_, content = profileConfig, ownID = profileID]() -> std::function<void()> {
    auto work = [&]() -> Result<std::pair<Profile, std::string>> {
      if (!ownID) return Error("Context destroyed", 0);
      auto selected = core.sharedPreferences.selectedProfileID();
      if (!selected) return selected.error();
      auto found = core.profiles.get(*selected != 0 ? *selected : *ownID);
      if (!found) return found.error();
      if (!found->has_value()) return Error("Profile missing", 0);
      const Profile& target = **found;
      if (auto written = target.write(content); !written) return written.error();
      auto read = target.read();
      if (!read) return read.error();
      return std::pair{target, std::move(*read)};
    };
    auto outcome = std::make_shared<Result<std::pair<Profile, std::string>>>(work());
    return [this, outcome] {
      isSaving = false;
      if (!*outcome) {
        services_.log.error("saveAndLoadProfile error: " + outcome->error().toString());
        return;
      }
      profile = (*outcome)->first;
      profileConfig = (*outcome)->second;
      isLoading = false;
      isChanged = false;
    };
  });
}

}  // namespace corvane::tunnel
