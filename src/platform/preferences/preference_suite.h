#pragma once
// The two preference stores and where their files live. The standard store holds every key
// of the app; the application-group store is the one shared with the tunnel service, which
// gets copies of the credentials.
#include <filesystem>
#include <memory>
#include <string_view>

#include "platform/core/result.h"
#include "platform/log/log.h"
#include "platform/paths/paths.h"
#include "platform/preferences/sqlite/sqlite_preference_store.h"

namespace corvane::platform {

enum class PreferenceSuite { standard, appGroup };

// The application group's identifier, which names its store's file.
inline constexpr std::string_view kAppGroupIdentifier = "group.net.corvane.client";

// config/preferences.sqlite and config/group.net.corvane.client.sqlite.
std::filesystem::path preferenceFile(const Paths& paths, PreferenceSuite suite);

// Opens (creating when needed) the store of `suite` under `paths.config`.
Result<std::unique_ptr<SqlitePreferenceStore>> openPreferenceStore(const Paths& paths,
                                                                   PreferenceSuite suite, Log log);

}  // namespace corvane::platform
