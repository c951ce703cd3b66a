// Start-up discovery: the link table, the domain source, and the announcements. These read
// untyped answers and never look at the HTTP status: a table that arrives as JSON is used.
#include "api/announcements.h"
#include "api/api_client.h"
#include "api/api_client_context.h"
#include "api/domain_source.h"
#include "api/link_table.h"
#include "keys/preference_key.h"
#include "platform/opener/url_text.h"

namespace corvane::api {
namespace {

namespace Key = keys::pref;

// Finishes fetchLinks from one domain source: the domain it names, or the fallback domain.
void useDomainSource(const std::shared_ptr<ApiClient::Context>& context, ApiClient& client,
                     const std::string& source, ApiClient::LinksCompletion completion) {
  if (!platform::formsValidUrl(source)) {
    context->log.info("Invalid URL");
    context->preferences.setIfChanged(Key::domainLink, context->fallbackDomain);
    completion(true);
    return;
  }
  client.checkDomain(source, [context, completion = std::move(completion)](std::optional<std::string> domain) {
    if (domain) {
      context->preferences.setIfChanged(Key::domainLink, *domain);
      context->log.info("Successfully set domain_link to: " + *domain);
    } else {
      context->preferences.setIfChanged(Key::domainLink, context->fallbackDomain);
    }
    completion(true);
  });
}

}  // namespace

void ApiClient::fetchLinks(LinksCompletion completion) {
  auto context = context_;
  // A copy of this client (it is only a handle to the context) runs the domain check later.
  context->loader.dataTask(
      platform::UrlRequest::get(context->discoveryUrl("/app-api-v1/get-links")),
      [context, client = *this, completion = std::move(completion)](Result<platform::UrlResponse> answer) mutable {
        if (!answer) {
          context->log.error("Error fetching links: " + answer.error().description);
          completion(false);
          return;
        }
        if (!answer->body) {
          context->log.error("No data received");
          completion(false);
          return;
        }
        auto table = parseLinkTable(*answer->body);
        if (!table) {
          context->log.error("Error: Failed to parse JSON - " + table.error().description);
          completion(false);
          return;
        }
        context->log.info("Base URL's: " + table->description);

        auto& preferences = context->preferences;
        if (table->domainLink1 && !table->domainLink1->empty()) {
          preferences.setIfChanged(Key::aboutUsLink, table->aboutUsLink);
          preferences.setIfChanged(Key::getSupportLink, table->getSupportLink);
          preferences.setIfChanged(Key::emailLink, table->emailLink);
          preferences.setIfChanged(Key::whatsappLink, table->whatsappLink);
          useDomainSource(context, client, *table->domainLink1, std::move(completion));
        } else if (table->domainLink2 && !table->domainLink2->empty()) {
          useDomainSource(context, client, *table->domainLink2, std::move(completion));
        } else {
          preferences.setIfChanged(Key::domainLink, context->fallbackDomain);
          completion(true);
        }
      });
}

void ApiClient::checkDomain(const std::string& sourceURL, DomainCompletion completion) {
  auto context = context_;
  auto request = platform::UrlRequest::get(sourceURL);
  request.maxBodyBytes = kMaxDomainSourceBytes;
  context->loader.dataTask(
      std::move(request),
      [context, completion = std::move(completion)](Result<platform::UrlResponse> answer) {
        if (!answer) {
          context->log.error("Error checking domain: " + answer.error().description);
          completion(std::nullopt);
          return;
        }
        // The status is not looked at: a source that answers 500 with a domain still names it.
        DomainSourceAnswer source = readDomainSource(answer->body);
        switch (source.kind) {
          case DomainSourceText::domain:
            completion(std::move(source.domain));
            return;
          case DomainSourceText::blank:
            completion(std::nullopt);
            return;
          case DomainSourceText::notText:
            context->log.error("No valid data received");
            completion(std::nullopt);
            return;
        }
      });
}

void ApiClient::fetchAnnouncements() {
  auto context = context_;
  context->loader.dataTask(
      platform::UrlRequest::get(context->discoveryUrl("/app-api-v1/announcement-info")),
      [context](Result<platform::UrlResponse> answer) {
        if (!answer) {
          context->log.error("Error fetching announcement info: " + answer.error().description);
          return;
        }
        if (!answer->body) {
          context->log.error("No data received");
          return;
        }
        auto parsed = parseAnnouncements(*answer->body);
        if (!parsed) {
          context->log.error("JSON decoding error: " + parsed.error().description);
          return;
        }
        if (!*parsed) {
          context->log.error("Failed to parse JSON");
          return;
        }
        context->preferences.setIfChanged(Key::announcementOne, (*parsed)->one);
        context->preferences.setIfChanged(Key::announcementTwo, (*parsed)->two);
      });
}

}  // namespace corvane::api
