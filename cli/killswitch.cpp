// corvanectl killswitch on|off: the kill-switch screen's switch, applied to the provider
// manager the power button uses.
#include "command_support.h"
#include "tunnel/setting_view.h"
#include "tunnel_session.h"

namespace corvane::cli {
namespace {

int runKillSwitch(const GlobalOptions& global, const std::string& value) {
  if (value != "on" && value != "off") {
    return failWith(global, "killswitch takes `on' or `off', not `" + value + "'", kExitUsage);
  }
  const bool wanted = value == "on";
  ClientSession session({.withTunnel = true});
  TunnelSession tunnel(session);
  if (!tunnel.reachService()) {
    return failWith(global, "the tunnel service does not answer at `" + tunnel.socketPath() + "'");
  }
  bool shown = false;
  tunnel::SettingView view(tunnel.services(), screenkit::Binding<bool>::to(shown), nullptr);
  view.loadManager();
  session.runUntil([&] { return view.manager != nullptr; }, std::chrono::milliseconds(5000));
  if (!view.manager) return failWith(global, "the saved VPN configuration could not be loaded");
  if (shown != wanted) {
    view.tapSwitch();
    session.runUntil([&] { return !view.saving; }, std::chrono::milliseconds(5000));
    if (view.saving) return failWith(global, "the tunnel service did not answer the save");
    if (view.lastSaveError) return failWith(global, "the kill switch was not saved: " + view.lastSaveError->description);
  }
  emit(global, {{"killSwitch", shown}}, std::string("Kill Switch ") + (shown ? "on" : "off"));
  return kExitOk;
}

}  // namespace

CORVANE_COMMAND("killswitch", "Turn the kill switch on or off (keeps the tunnel up, blocks traffic outside it)",
                [](CLI::App& sub, const GlobalOptions& global) -> std::function<int()> {
                  auto value = std::make_shared<std::string>();
                  sub.add_option("STATE", *value, "on or off")->required();
                  return [&global, value] { return runKillSwitch(global, *value); };
                });

}  // namespace corvane::cli
