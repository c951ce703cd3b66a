#pragma once
// What the echo engine's fallible operations return: a value or the PingError that prevented it.
#include "ping/ping_error.h"
#include "platform/core/result.h"

namespace corvane::ping {

template <typename T>
using PingOutcome = Result<T, PingError>;

}  // namespace corvane::ping
