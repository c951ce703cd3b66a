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

  // post(), then `decode` of the answer: a failure at either step goes to `completion` as it
  // is, the decoded record to `onRecord(record, completion)`. The ladder every operation with
  // a record climbs, in one place.
  template <typename Decode, typename Completion, typename OnRecord>
  void postDecoded(std::string_view path, const nlohmann::json& body, Decode decode, Completion completion,
                   OnRecord onRecord) {
    post(path, body,
         [decode = std::move(decode), completion = std::move(completion),
          onRecord = std::move(onRecord)](Result<std::string> answer) mutable {
           if (!answer) {
             completion(answer.error());
             return;
           }
           auto record = decode(*answer);
           if (!record) {
             completion(record.error());
             return;
           }
           onRecord(std::move(*record), completion);
         });
  }
};

}  // namespace corvane::api
