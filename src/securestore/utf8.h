#pragma once
// The store's text check is the shared strict UTF-8 check; the name stays reachable here for
// the code that already spells it so.
#include "platform/core/utf8.h"

namespace corvane::securestore {

using platform::isValidUtf8;

}  // namespace corvane::securestore
