#include "api/link_table.h"

#include "api/untyped_json.h"

namespace corvane::api {

Result<LinkTable> parseLinkTable(std::string_view body) {
  auto json = parseUntypedJson(body);
  if (!json) {
    return json.error();
  }
  LinkTable table;
  table.aboutUsLink = json->string("about_us_link");
  table.getSupportLink = json->string("get_support_link");
  table.emailLink = json->string("email_link");
  table.whatsappLink = json->string("whatsapp_link");
  table.domainLink1 = json->string("domain_link_1");
  table.domainLink2 = json->string("domain_link_2");
  // An array at the top level is described as the empty table it is read as.
  table.description = json->isObject ? std::move(json->description) : "[:]";
  return table;
}

}  // namespace corvane::api
