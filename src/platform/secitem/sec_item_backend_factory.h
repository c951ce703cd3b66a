#pragma once
// Picks the keychain backend for this machine, here and nowhere else:
//
//   CORVANE_KEYCHAIN=file            the private file under the data folder
//   CORVANE_KEYCHAIN=secret-service  the Secret Service; when it cannot be opened, a backend
//                                    that answers kNotAvailable (never the file behind the
//                                    user's back)
//   otherwise                        the Secret Service when DBUS_SESSION_BUS_ADDRESS is set
//                                    and the service answers in time with an unlocked
//                                    default collection, the file store otherwise
//
// The log says which one was chosen and why. When the Secret Service is chosen and the file
// still holds items (written while it was not), they are moved over: each is copied, read
// back and compared field by field, and only then removed from the file. An item whose
// identity the Secret Service already holds with other contents stays in the file. The move
// holds the keychain's lock (keychain_lock.h) throughout, and the chosen Secret Service
// holds it for every change, so programs moving or writing at once take turns.
#include <memory>

#include "platform/log/log.h"
#include "platform/paths/paths.h"
#include "platform/secitem/sec_item_backend.h"
#include "platform/secitem/secret_service/secret_service_backend.h"

namespace corvane::platform {

std::unique_ptr<SecItemBackend> makeSecItemBackend(const Paths& paths, Log log,
                                                   SecretServiceBackend::Options timeouts = {});

}  // namespace corvane::platform
