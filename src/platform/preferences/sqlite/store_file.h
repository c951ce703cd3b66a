#pragma once
// File chores around a store's SQLite file: making it private before SQLite sees it, and
// moving an unreadable one aside so that a new, empty store can take its place.
#include <filesystem>

#include "platform/core/result.h"

namespace corvane::platform {

// Errors of the functions below: this domain, with the errno as code.
inline constexpr const char* kStoreFileDomain = "PreferenceFile";

// Creates `file` with mode 0600 when it is missing and tightens an existing one to 0600.
// Fails with ELOOP for a link, EISDIR for a folder and EINVAL for any other non-file.
// SQLite would create it 0644 (less umask); it gives its -wal and -shm files the mode of the
// main file, so fixing the main file's mode first keeps all three private.
Result<void> preparePrivateFile(const std::filesystem::path& file);

// Renames `file` (a file or a folder) to "<file>.corrupt-<UTC time>" (plus "-2", "-3"... when
// that name is taken), and its -wal, -shm and -journal companions along with it: a stale
// write-ahead log left beside a new store would be replayed into it. Nothing is deleted.
// Returns the new name of `file`.
Result<std::filesystem::path> moveAside(const std::filesystem::path& file);

// The SQLite companion files of `file` that may sit beside it.
inline constexpr const char* kSqliteCompanionSuffixes[] = {"-wal", "-shm", "-journal"};

}  // namespace corvane::platform
