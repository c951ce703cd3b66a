#include "platform/preferences/preference_suite.h"

#include <string>

namespace corvane::platform {

std::filesystem::path preferenceFile(const Paths& paths, PreferenceSuite suite) {
  if (suite == PreferenceSuite::appGroup) {
    return paths.config / (std::string(kAppGroupIdentifier) + ".sqlite");
  }
  return paths.config / "preferences.sqlite";
}

Result<std::unique_ptr<SqlitePreferenceStore>> openPreferenceStore(const Paths& paths,
                                                                   PreferenceSuite suite, Log log) {
  return SqlitePreferenceStore::open(preferenceFile(paths, suite), std::move(log));
}

}  // namespace corvane::platform
