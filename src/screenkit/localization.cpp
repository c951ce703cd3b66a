#include "screenkit/localization.h"

#include <cstdlib>

namespace corvane::screenkit {

Localization::Localization(std::string localeIdentifier)
    : localeIdentifier_(std::move(localeIdentifier)) {
  table_ = isChinese() ? &simplifiedChineseTable() : &englishTable();
}

Localization Localization::fromEnvironment() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') continue;
    std::string identifier(value);
    identifier = identifier.substr(0, identifier.find_first_of(".@"));
    return Localization(identifier.empty() ? "en" : identifier);
  }
  return Localization("en");
}

std::string_view Localization::text(std::string_view english) const {
  const auto it = table_->find(english);
  return it == table_->end() ? english : it->second;
}

bool Localization::isChinese() const { return localeIdentifier_.starts_with("zh"); }

int underlineWidth(UnderlinedLink link, const Localization& localization) {
  const bool narrow = localization.isChinese();
  switch (link) {
    case UnderlinedLink::registerLink: return narrow ? 33 : 63;
    case UnderlinedLink::forgetPassword: return narrow ? 60 : 130;
    case UnderlinedLink::privacyPolicy: return narrow ? 77 : 119;
    case UnderlinedLink::logIn: return narrow ? 40 : 60;
  }
  return 0;
}

}  // namespace corvane::screenkit
