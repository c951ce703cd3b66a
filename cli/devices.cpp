// corvanectl devices: the connected-devices screen of the main container.
#include "command_support.h"
#include "screens/connect_device_view.h"
#include "screens/main_tabbed_view.h"

namespace corvane::cli {
namespace {

int runDevices(const GlobalOptions& global) {
  ClientSession session({});
  if (!requireSignedIn(session, global)) return kExitFailure;
  screens::MainTabbedView main(session.services());
  main.setPresentSideMenu(true);
  main.sideMenuView().tapRow(screens::SideMenuRowType::connectDevices);
  screens::ConnectDeviceView& view = *main.devices();
  view.appear();
  session.runUntil([&] { return !view.loading; }, kFlowLimit);
  if (view.loading) return failWith(global, "the device list did not arrive");
  if (view.lastError) return failWith(global, "the device list failed: " + view.lastError->toString());
  nlohmann::json json = nlohmann::json::array();
  std::string text = std::string(view.locale.text(screens::ConnectDeviceView::kTitle)) + ": " +
                     std::to_string(view.devices.size()) + "\n";
  for (const api::Datum& device : view.devices) {
    const auto card = screens::ConnectDeviceView::card(device);
    json.push_back({{"brand", card.brand}, {"model", card.model}, {"osName", card.osName},
                    {"osVersion", card.osVersion}});
    text += "  " + card.brand + "  " + card.model + "  " + card.osName + " " + card.osVersion + "\n";
  }
  emit(global, {{"devices", json}}, text);
  return kExitOk;
}

}  // namespace

CORVANE_COMMAND("devices", "List the devices signed in to the account",
                 [](CLI::App&, const GlobalOptions& global) -> std::function<int()> {
                   return [&global] { return runDevices(global); };
                 });

}  // namespace corvane::cli
