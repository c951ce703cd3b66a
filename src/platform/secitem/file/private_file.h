#pragma once
// File primitives of the item file: whole-file reads, crash-safe replacement, and moving a
// bad file aside. Each returns an Error whose description names the path and the errno
// text; none of them ever prints file contents.
#include <filesystem>
#include <optional>
#include <string>

#include "platform/core/result.h"

// In their own namespace: the preference store has file chores of the same names.
namespace corvane::platform::secitemfile {

// The file's bytes; no value when it does not exist. Refuses symlinks (O_NOFOLLOW) and
// files over `maxSize` bytes.
Result<std::optional<std::string>> readPrivateFile(const std::filesystem::path& file,
                                                   std::size_t maxSize);

// Replaces `file` with `bytes` so that a crash at any point leaves either the old or the
// new content: a 0600 temporary "<file>.tmp-XXXXXX" in the same folder, fsync, rename over
// `file`, fsync the folder. The temporary is removed when a step fails.
Result<void> replacePrivateFile(const std::filesystem::path& file, const std::string& bytes);

// Removes temporaries that a crashed writer left behind. Only call it while holding the
// lock that every writer takes, or it may remove a live writer's temporary.
void removeStaleTemporaries(const std::filesystem::path& file);

// Renames `file` to "<file>.corrupt-<UTC time>" (or with "-2", "-3", ... appended), never
// over an existing file. Returns the new path.
Result<std::filesystem::path> moveAside(const std::filesystem::path& file);

}  // namespace corvane::platform::secitemfile
