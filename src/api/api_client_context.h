#pragma once
// What ApiClient's operations share: the services, the API host, and the POST plumbing of the
// request conventions. Internal to the api folder.
#include <nlohmann/json.hpp>

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "api/api_client.h"
#include "keys/preferences.h"

namespace corvane::api {

struct ApiClient::Context : std::enable_shared_from_this<ApiClient::Context> {
  keys::Preferences preferences;
  securestore::KeychainStore& keychain;
  const platform::DeviceInfo& device;
  platform::UrlLoader& loader;
  platform::Log log;
  std::string apiHost;
  std::chrono::milliseconds postTimeout;
  std::string fallbackDomain;

  Context(platform::PreferenceStore& p, securestore::KeychainStore& k, const platform::DeviceInfo& d,
          platform::UrlLoader& l, platform::Log lg, ApiClient::Options options)
      : preferences(p),
        keychain(k),
        device(d),
        loader(l),
        log(std::move(lg)),
        apiHost(std::move(options.apiHost)),
        postTimeout(options.postTimeout),
        fallbackDomain(std::move(options.fallbackDomain)) {}

  // "https://" + the API host + path.
  std::string discoveryUrl(std::string_view path) const { return "https://" + apiHost + std::string(path); }

  // POSTs `body` to "http://" + "domain_link" + path and hands the standard answer rule's
  // outcome (the body to decode, or an error) to `onAnswer`, on the callback queue. When the
  // request cannot be addressed, logs why and hands over an EndpointError instead.
  void post(std::string_view path, const nlohmann::json& body, std::function<void(Result<std::string>)> onAnswer);
};

}  // namespace corvane::api
