#pragma once
// Turns one request line of a served caller into its answer: the managers of the caller's
// uid, start and stop through the slot, status and subscription.
#include <cstdint>
#include <string_view>

#include "daemon/server/client_connection.h"
#include "daemon/slot/tunnel_slot.h"
#include "daemon/state/state_store.h"

namespace corvane::daemon::server {

class RequestHandler {
 public:
  RequestHandler(state::StateStore& store, slot::TunnelSlot& slot) : store_(store), slot_(slot) {}

  void handle(ClientConnection& client, std::string_view line);

 private:
  platform::tunneld::Answer answer(ClientConnection& client, const platform::tunneld::Request& request);
  platform::tunneld::Answer start(std::uint32_t uid, const platform::tunneld::Request& request);

  state::StateStore& store_;
  slot::TunnelSlot& slot_;
};

}  // namespace corvane::daemon::server
