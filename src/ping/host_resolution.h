#pragma once
// Turns a host name into the IPv4 socket address record a pinger sends to. Callers that
// keep the name and address apart (the server list) use it on its own before creating a
// pinger from a Destination.
#include <string>

#include "ping/destination.h"
#include "ping/ping_outcome.h"
#include "platform/host/host_resolver.h"

namespace corvane::ping {

// addressLookupError when the name lookup itself failed, unknownHostError when something
// below it failed, hostNotFound when the name has no IPv4 address.
PingOutcome<SocketAddressBytes> resolveHost(platform::HostResolver& resolver,
                                            const std::string& host);

}  // namespace corvane::ping
