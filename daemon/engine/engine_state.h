#pragma once
// What an engine reports about its own link. The daemon maps it onto the slot's status 0-5;
// an engine never sees the slot.
namespace corvane::daemon::engine {

enum class EngineState {
  starting,  // the program runs, the link is not carrying traffic yet
  up,        // carrying traffic (WireGuard: a handshake completed; OpenVPN: CONNECTED)
  down,      // the link was up and dropped while the program still runs (peer gone, no handshake)
  exited,    // the program ended or was killed; the engine has cleaned up after it
};

}  // namespace corvane::daemon::engine
