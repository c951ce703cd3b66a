// corvanectl profiles list|refresh [--due]: the tunnel profiles. `list` asks the running
// profile server (the app's, or this command's own); `refresh` updates the remote profiles
// marked for automatic update (with --due only those whose time has come, as the systemd
// user timer runs it).
#include "command_support.h"
#include "tunnel/profile_update_task.h"
#include "tunnel_session.h"
#include "tunnelcore/profile_server_client.h"

namespace corvane::cli {
namespace {

int runList(const GlobalOptions& global, TunnelSession& tunnel, ClientSession& session) {
  // The launch started this process's own profile server unless another one runs already;
  // either way one answers on the socket.
  session.runUntil([] { return false; }, std::chrono::milliseconds(20));
  auto answer = tunnelcore::askProfileServer(tunnel.core().folders.profileServerSocket(), "list");
  if (!answer) {
    // Asking from the loop thread would block the server it asks; a server of this process
    // is served by running the loop while a helper thread asks.
    std::optional<Result<std::string>> asked;
    std::thread asker([&] { asked = tunnelcore::askProfileServer(tunnel.core().folders.profileServerSocket(), "list"); });
    session.runUntil([&] { return asked.has_value(); }, std::chrono::milliseconds(5000));
    asker.join();
    answer = std::move(*asked);
  }
  if (!answer) return failWith(global, "the profile server did not answer: " + answer.error().description);
  const auto json = nlohmann::json::parse(*answer, nullptr, false);
  if (!json.is_object() || json.contains("error")) return failWith(global, "the profile server refused: " + *answer);
  std::string text;
  for (const auto& p : json["profiles"]) {
    const bool selected = p["id"] == json["selectedProfileID"];
    text += std::string(selected ? "* " : "  ") + std::to_string(p["id"].get<std::int64_t>()) + "  " +
            p["name"].get<std::string>() + (p["autoUpdate"].get<bool>() ? "  (auto-update)" : "") + "\n";
  }
  if (!text.empty()) text.pop_back();
  emit(global, json, text.empty() ? "no profiles yet (the dashboard creates one when first shown)" : text);
  return kExitOk;
}

int runRefresh(const GlobalOptions& global, TunnelSession& tunnel, ClientSession& session, bool dueOnly) {
  tunnel::ProfileUpdateTask task(tunnel.core(), session.services().log, false);
  auto list = tunnel.core().profiles.listAutoUpdateEnabled();
  if (!list) return failWith(global, "the profile list cannot be read: " + list.error().description);
  if (!dueOnly) {
    for (auto& p : *list) p.lastUpdated.reset();  // everything counts as due
  }
  const std::size_t count = list->size();
  std::optional<bool> outcome;
  task.updateProfiles(std::move(*list), [&](bool ok) { outcome = ok; });
  session.runUntil([&] { return outcome.has_value(); }, kFlowLimit);
  if (!outcome) return failWith(global, "the refresh did not finish in time");
  task.configure([](Result<void>) {});  // stores the next due time for the timer
  emit(global, {{"profiles", count}, {"success", *outcome}},
       std::to_string(count) + " auto-update profile(s) " + (dueOnly ? "checked" : "refreshed") +
           (*outcome ? "" : "; some failed (see the log)"));
  return *outcome ? kExitOk : kExitFailure;
}

}  // namespace

CORVANE_COMMAND("profiles", "List the tunnel profiles, or refresh the remote ones",
                [](CLI::App& sub, const GlobalOptions& global) -> std::function<int()> {
                  auto action = std::make_shared<std::string>();
                  auto due = std::make_shared<bool>(false);
                  sub.add_option("ACTION", *action, "list or refresh")->required()->check(CLI::IsMember({"list", "refresh"}));
                  sub.add_flag("--due", *due, "With refresh: only the profiles whose time has come");
                  return [&global, action, due] {
                    ClientSession session({.withTunnel = true});
                    TunnelSession tunnel(session);
                    return *action == "list" ? runList(global, tunnel, session)
                                             : runRefresh(global, tunnel, session, *due);
                  };
                });

}  // namespace corvane::cli
