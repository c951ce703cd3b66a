#include "api/api_client.h"

#include "api/api_client_context.h"
#include "api/api_errors.h"
#include "api/api_host.h"
#include "api/request_bodies.h"
#include "api/request_conventions.h"
#include "keys/preference_key.h"

namespace corvane::api {

ApiClient::Options ApiClient::Options::fromEnvironment() { return Options{defaultApiHost()}; }

ApiClient::ApiClient(platform::PreferenceStore& preferences, securestore::KeychainStore& keychain,
                     const platform::DeviceInfo& device, platform::UrlLoader& loader, platform::Log log,
                     Options options)
    : context_(std::make_shared<Context>(preferences, keychain, device, loader, std::move(log), std::move(options))) {}

void ApiClient::Context::post(std::string_view path, const nlohmann::json& body,
                              std::function<void(Result<std::string>)> onAnswer) {
  const std::string pathText(path);
  auto domain = preferences.get(keys::pref::domainLink);
  Result<std::string> url = domain ? apiPostUrl(*domain, path)
                                   : Result<std::string>(Error(kEndpointErrorDomain,
                                                               static_cast<std::int64_t>(EndpointErrorCode::noDomain),
                                                               "no API domain is stored yet"));
  if (!url) {
    log.error("Request to " + pathText + " not sent: " + url.error().description);
    loader.async([onAnswer = std::move(onAnswer), error = url.error()] { onAnswer(error); });
    return;
  }
  auto text = serializeBody(body);
  if (!text) {
    log.error("Request body of " + pathText + " is not valid UTF-8; sent without a body");
  }
  auto request = platform::UrlRequest::post(std::move(*url), std::move(text));
  request.totalTimeout = postTimeout;
  request.connectTimeout = postTimeout;
  loader.dataTask(std::move(request),
                  [onAnswer = std::move(onAnswer)](Result<platform::UrlResponse> answer) {
                    onAnswer(standardAnswer(std::move(answer)));
                  });
}

}  // namespace corvane::api
