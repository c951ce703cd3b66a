// corvanectl select SERVER: a server tap in the picker; reports what was stored and posted.
#include "keys/notification_names.h"
#include "command_support.h"
#include "picker_session.h"

namespace corvane::cli {
namespace {

const api::IPBundle* findServer(const servers::ServerListView& list, const std::string& name) {
  const auto& catalogue = list.ipBundle();
  for (const auto& section : list.sections()) {
    for (std::size_t index : section.serverIndices) {
      if (catalogue[index].ipName == name || catalogue[index].ip == name) return &catalogue[index];
    }
  }
  return nullptr;
}

int runSelect(const GlobalOptions& global, const std::string& name) {
  ClientSession session({});
  if (!requireSignedIn(session, global)) return kExitFailure;
  screenkit::Services services = session.services();
  int connectPosts = 0;
  platform::ObserverRegistration observer(
      services.notifications,
      services.notifications.addObserver(std::string(keys::kConnectFromServer),
                                         [&] { ++connectPosts; }));
  PickerSession picker(session);
  // Without the catalogue no name can be found: that is the backend's failure, not a usage error.
  if (auto failure = picker.refreshFailure()) return failWith(global, "the server list could not be fetched: " + *failure);
  servers::ServerListView& list = *picker.list;
  const api::IPBundle* server = findServer(list, name);
  if (server == nullptr) {
    return failWith(global, "no server `" + name + "' among the " +
                                std::string(list.headerText()) + " servers (see corvanectl servers)",
                    kExitUsage);
  }
  const auto outcome = list.tapServer(*server);
  if (outcome == servers::ServerListView::TapOutcome::ignored) {
    return failWith(global, "server `" + name + "' lacks the fields needed to connect to it");
  }
  // The picker dismisses itself and posts once the keys are stored.
  session.runUntil([&] { return connectPosts > 0 || picker.home.serverList() == nullptr ||
                                (!list.fetchingConfig && list.lastTapError); },
                   kFlowLimit);
  session.runUntil([&] { return connectPosts > 0; }, std::chrono::milliseconds(500));
  if (connectPosts == 0) {
    const std::string reason = picker.home.serverList() != nullptr && list.lastTapError
                                   ? list.lastTapError->toString()
                                   : "no answer";
    return failWith(global, "the WireGuard configuration could not be fetched: " + reason);
  }
  keys::Preferences& prefs = session.preferences();
  const auto config = prefs.get(keys::pref::config);
  nlohmann::json stored{{"initialserverselected", prefs.get(keys::pref::initialServerSelected)},
                        {"countryCode", prefs.get(keys::pref::countryCode).value_or("")},
                        {"countryName", prefs.get(keys::pref::countryName).value_or("")},
                        {"ipName", prefs.get(keys::pref::ipName).value_or("")},
                        // The configuration holds keys: only its size is shown.
                        {"ConfigBytes", config ? config->size() : 0}};
  if (outcome == servers::ServerListView::TapOutcome::fetching) {
    stored["vpnServerID"] = prefs.get(keys::pref::vpnServerID);
    stored["ipID"] = prefs.get(keys::pref::ipID);
  }
  std::string text = "stored:\n";
  for (const auto& [key, value] : stored.items()) text += "  " + key + " = " + value.dump() + "\n";
  text += "posted: ConnectFromServer";
  emit(global, {{"stored", stored}, {"posted", {"ConnectFromServer"}}}, text);
  return kExitOk;
}

}  // namespace

CORVANE_COMMAND("select", "Choose a server by name (or address) as a tap in the picker does",
                 [](CLI::App& sub, const GlobalOptions& global) -> std::function<int()> {
                   auto name = std::make_shared<std::string>();
                   sub.add_option("SERVER", *name, "The server's name as listed")->required();
                   return [&global, name] { return runSelect(global, *name); };
                 });

}  // namespace corvane::cli
