#pragma once
// A complete ApiClient over real services: a SQLite preference store and a file keychain in a
// temporary folder, a chosen device, the libcurl loader (trusting a test CA), and a log that
// tests read back. Members are declared so the loader goes before the stores it writes into.
#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "api/api_client.h"
#include "api/support/await_result.h"
#include "api/support/temp_folder.h"
#include "api/support/test_device.h"
#include "platform/log/log.h"
#include "platform/preferences/sqlite/sqlite_preference_store.h"
#include "platform/secitem/file/file_sec_item_backend.h"
#include "platform/url/curl_url_loader.h"
#include "securestore/keychain_store.h"

namespace corvane::test {

class ApiHarness {
 public:
  // `apiHost`: the default API host the client uses; `caFile`: an extra CA to trust.
  explicit ApiHarness(std::string apiHost, std::optional<std::filesystem::path> caFile = std::nullopt,
                      std::chrono::milliseconds postTimeout = std::chrono::seconds(60));

  platform::PreferenceStore& preferences() { return *preferences_; }
  securestore::KeychainStore& keychain() { return *keychain_; }
  TestDevice& device() { return device_; }
  api::ApiClient& client() { return *client_; }
  std::vector<std::string> lines() const { return sink_->lines(); }
  bool logged(const std::string& line) const { return sink_->contains(line); }

  // Runs an operation and waits for its completion.
  bool fetchLinks();
  Result<api::User> login(const std::string& username, const std::string& password);
  Result<void> signUp(const std::string& username, const std::string& password, const std::string& confirmation,
                      const std::string& email);
  Result<void> requestPasswordReset(const std::string& username);
  Result<void> resetPassword(const std::string& username, const std::string& token, const std::string& password,
                             const std::string& confirmation);
  Result<void> fetchWireGuardConfig(std::int64_t vpnServerID, std::int64_t ipID, std::int64_t connectionType);
  Result<api::DeviceResponse> fetchLoggedInDevices(const std::string& username, const std::string& password,
                                                   const std::string& udid);

 private:
  TempFolder folder_;
  std::shared_ptr<platform::CapturingSink> sink_;
  platform::Log log_;
  std::unique_ptr<platform::SqlitePreferenceStore> preferences_;
  std::unique_ptr<platform::FileSecItemBackend> secItems_;
  std::unique_ptr<securestore::KeychainStore> keychain_;
  TestDevice device_;
  std::unique_ptr<platform::CurlUrlLoader> loader_;
  std::unique_ptr<api::ApiClient> client_;
};

}  // namespace corvane::test
