#include "api/support/api_harness.h"

#include <stdexcept>

namespace corvane::test {

ApiHarness::ApiHarness(std::string apiHost, std::optional<std::filesystem::path> caFile,
                       std::chrono::milliseconds postTimeout)
    : log_(platform::Log::capturing(sink_)) {
  auto store = platform::SqlitePreferenceStore::open(folder_.path() / "preferences.db", log_);
  if (!store) {
    throw std::runtime_error("preference store: " + store.error().toString());
  }
  preferences_ = std::move(*store);
  secItems_ = std::make_unique<platform::FileSecItemBackend>(folder_.path() / "keychain.db", log_);
  keychain_ = std::make_unique<securestore::KeychainStore>(
      *secItems_, log_, std::string(securestore::KeychainStore::kApplicationService));
  platform::CurlUrlLoader::Options loaderOptions;
  loaderOptions.extraCaFile = std::move(caFile);
  loader_ = std::make_unique<platform::CurlUrlLoader>(loaderOptions, log_);
  api::ApiClient::Options options{std::move(apiHost), postTimeout};
  client_ = std::make_unique<api::ApiClient>(*preferences_, *keychain_, device_, *loader_, log_, options);
}

namespace {

template <typename T>
T awaitOr(Awaited<T>& awaited, T fallback) {
  auto value = awaited.get();
  return value ? std::move(*value) : std::move(fallback);
}

Error lost() { return Error("test", -1, "completion never called"); }

}  // namespace

bool ApiHarness::fetchLinks() {
  Awaited<bool> awaited;
  client_->fetchLinks(awaited.completion());
  return awaitOr(awaited, false);
}

Result<api::User> ApiHarness::login(const std::string& username, const std::string& password) {
  Awaited<Result<api::User>> awaited;
  client_->login(username, password, awaited.completion());
  return awaitOr<Result<api::User>>(awaited, lost());
}

Result<void> ApiHarness::signUp(const std::string& username, const std::string& password,
                                const std::string& confirmation, const std::string& email) {
  Awaited<Result<void>> awaited;
  client_->signUp(username, password, confirmation, email, awaited.completion());
  return awaitOr<Result<void>>(awaited, lost());
}

Result<void> ApiHarness::requestPasswordReset(const std::string& username) {
  Awaited<Result<void>> awaited;
  client_->requestPasswordReset(username, awaited.completion());
  return awaitOr<Result<void>>(awaited, lost());
}

Result<void> ApiHarness::resetPassword(const std::string& username, const std::string& token,
                                       const std::string& password, const std::string& confirmation) {
  Awaited<Result<void>> awaited;
  client_->resetPassword(username, token, password, confirmation, awaited.completion());
  return awaitOr<Result<void>>(awaited, lost());
}

Result<void> ApiHarness::fetchWireGuardConfig(std::int64_t vpnServerID, std::int64_t ipID,
                                              std::int64_t connectionType) {
  Awaited<Result<void>> awaited;
  client_->fetchWireGuardConfig(vpnServerID, ipID, connectionType, awaited.completion());
  return awaitOr<Result<void>>(awaited, lost());
}

Result<api::DeviceResponse> ApiHarness::fetchLoggedInDevices(const std::string& username,
                                                             const std::string& password, const std::string& udid) {
  Awaited<Result<api::DeviceResponse>> awaited;
  client_->fetchLoggedInDevices(username, password, udid, awaited.completion());
  return awaitOr<Result<api::DeviceResponse>>(awaited, lost());
}

}  // namespace corvane::test
