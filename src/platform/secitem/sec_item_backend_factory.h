#pragma once
// Picks the keychain backend for this machine. Today that is always the private file under
// the data folder; a Secret Service backend, used when a session keyring answers, is meant
// to be chosen here and nowhere else.
#include <memory>

#include "platform/log/log.h"
#include "platform/paths/paths.h"
#include "platform/secitem/sec_item_backend.h"

namespace corvane::platform {

std::unique_ptr<SecItemBackend> makeSecItemBackend(const Paths& paths, Log log);

}  // namespace corvane::platform
