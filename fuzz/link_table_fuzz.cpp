// Feeds arbitrary bytes to every reader of the start-up answers: the link table, the
// announcements, the domain source's text, and the API URL made from a domain it yields.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "api/announcements.h"
#include "api/domain_source.h"
#include "api/link_table.h"
#include "api/request_conventions.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  if (auto table = corvane::api::parseLinkTable(bytes)) {
    // Touch what the client uses so a broken value shows up under the sanitizers.
    volatile std::size_t sink = table->description.size();
    if (table->domainLink1) sink = sink + table->domainLink1->size();
    (void)sink;
  }
  (void)corvane::api::parseAnnouncements(bytes);

  const auto source = corvane::api::readDomainSource(std::optional<std::string>(bytes));
  if (source.kind == corvane::api::DomainSourceText::domain) {
    (void)corvane::api::apiPostUrl(source.domain, "/app-api-v1/login");
  }
  return 0;
}
