#pragma once
// The dashboard's tunnel profile: created once per installation, its content kept equal to
// "Config", the profile list and the selection kept in step. Database and file work runs on
// the tunnel core's serial background queue; results come back to the main loop.
//
// Which profile the content goes to: the selected one (the profile the extension starts),
// falling back to `profileID` while nothing is selected. Creation stores its profile under
// 12345 and names the file after nextID; the dashboard's own id, 1234, names no profile. So
// "Config" reaches the running tunnel through the selection, whatever the ids.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "screenkit/screen_model.h"
#include "tunnelcore/profile.h"
#include "tunnelcore/profile_preview.h"
#include "tunnelcore/tunnel_core.h"

namespace corvane::tunnel {

class ProfileBuilder : public screenkit::ScreenModel {
 public:
  static constexpr std::int64_t kCreatedProfileID = 12345;

  ProfileBuilder(screenkit::Services services, tunnelcore::TunnelCore& core, std::optional<std::int64_t> profileID,
                 bool readOnly);
  ~ProfileBuilder() override;

  const std::optional<std::int64_t> profileID;
  const bool readOnly;
  std::optional<tunnelcore::Profile> profile;
  std::string profileConfig = "{}";
  bool isLoading = true;
  bool isChanged = false;
  bool isSaving = false;
  std::string profileName;
  tunnelcore::ProfileType profileType = tunnelcore::ProfileType::local;
  std::string remotePath;
  bool autoUpdate = true;
  std::int32_t autoUpdateInterval = 60;
  std::vector<tunnelcore::ProfilePreview> profileList;
  std::int64_t selectedProfileID = 0;
  bool systemProxyAvailable = false;
  bool systemProxyEnabled = false;

  // What the dashboard runs each time it is shown.
  void onShown();

  void createProfileInBackground();
  void reloadProfiles();
  void refreshSystemProxy();
  // "Config" into profileConfig now and once more 1.0 s later, each saved and read back.
  void applyConfig();
  // Sets profileConfig and saves it to the profile, then reads the profile back.
  void setProfileConfig(std::string text);

  // Background work still running (tests and the command line wait for it).
  int pendingTasks() const { return pending_; }

 private:
  void saveAndLoadProfile();
  // Runs `work` on the background queue. It touches only the core and what it captured by
  // value (the model may be gone meanwhile) and returns what runs on the main loop after it,
  // which is dropped when the model is gone.
  void background(std::function<std::function<void()>()> work);

  tunnelcore::TunnelCore& core_;
  int pending_ = 0;
  platform::ObserverRegistration profileUpdate_;
  platform::ObserverRegistration selectedProfileUpdate_;
};

}  // namespace corvane::tunnel
