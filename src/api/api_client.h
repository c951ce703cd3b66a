#pragma once
// The backend client. Each operation sends one request and returns at once; its completion
// runs exactly once, later, on the URL loader's callback queue (never on the caller's thread),
// and the preference writes of the answer happen there too. Screens move to the main loop
// themselves.
//
// Discovery (fetchLinks, checkDomain, fetchAnnouncements) uses HTTPS on the default API host;
// every other operation POSTs JSON over plain HTTP to the stored "domain_link". A POST that
// cannot be addressed (no domain stored yet, or one that makes no valid URL) is not sent: it
// fails with an "EndpointError" and a log line, so no caller waits forever.
//
// The client holds no state of its own; what it needs lives in one shared context that
// pending completions keep alive, so the client may go before its requests finish. The
// services themselves (preferences, keychain, device, loader) must outlive the loader.
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "api/records/device_response.h"
#include "api/records/user.h"
#include "platform/core/result.h"
#include "api/api_host.h"
#include "platform/device/device_info.h"
#include "platform/log/log.h"
#include "platform/preferences/preference_store.h"
#include "platform/url/url_loader.h"

namespace corvane::securestore {
class KeychainStore;
}

namespace corvane::api {

class ApiClient {
 public:
  // The largest server configuration ("Config") stored: the tunnel core's profile cap, since a
  // larger one could never become a profile. A larger answer fails and the stored one stays.
  static constexpr std::size_t kMaxConfigBytes = std::size_t{512} << 10;
  // The largest domain source answer read: a domain is at most 253 characters, and padding
  // around it never needs pages.
  static constexpr std::size_t kMaxDomainSourceBytes = 4096;

  struct Options {
    // Host (and port) of the HTTPS link table and announcements.
    std::string apiHost;
    // Limit of each POST, start to finish. Tests shorten it to trip it quickly.
    std::chrono::milliseconds postTimeout = platform::UrlRequest::kPostTimeout;
    // The API domain stored when discovery finds none (see defaultFallbackDomain()).
    std::string fallbackDomain = defaultFallbackDomain();
    // defaultApiHost(): CORVANE_API_HOST, else the compiled-in host.
    static Options fromEnvironment();
  };

  using LinksCompletion = std::function<void(bool mayEnter)>;
  using DomainCompletion = std::function<void(std::optional<std::string> domain)>;
  using UserCompletion = std::function<void(Result<User>)>;
  using DoneCompletion = std::function<void(Result<void>)>;
  using DevicesCompletion = std::function<void(Result<DeviceResponse>)>;

  ApiClient(platform::PreferenceStore& preferences, securestore::KeychainStore& keychain,
            const platform::DeviceInfo& device, platform::UrlLoader& loader, platform::Log log,
            Options options = Options::fromEnvironment());

  // Start-up discovery: fetches the link table, stores its links and the API domain, and
  // answers true when the app may be entered (the table arrived as JSON).
  void fetchLinks(LinksCompletion completion);
  // GETs a domain source and answers the trimmed domain text, or no value.
  void checkDomain(const std::string& sourceURL, DomainCompletion completion);

  // Account operations.
  void login(const std::string& username, const std::string& password, UserCompletion completion);
  void signUp(const std::string& username, const std::string& password, const std::string& passwordConfirmation,
              const std::string& contactEmail, DoneCompletion completion);
  void requestPasswordReset(const std::string& username, DoneCompletion completion);
  void resetPassword(const std::string& username, const std::string& token, const std::string& password,
                     const std::string& passwordConfirmation, DoneCompletion completion);

  // Service operations.
  void fetchAnnouncements();
  void fetchWireGuardConfig(std::int64_t vpnServerID, std::int64_t ipID, std::int64_t connectionType,
                            DoneCompletion completion);
  void fetchLoggedInDevices(const std::string& username, const std::string& password, const std::string& udid,
                            DevicesCompletion completion);
  // Tells the backend that this device (`udid`) signed out. Without the device, the backend
  // could only guess, and signed out the account's most recent device instead.
  void setPinOffline(const std::string& username, const std::string& password, const std::string& udid);

  struct Context;

 private:
  std::shared_ptr<Context> context_;
};

}  // namespace corvane::api
