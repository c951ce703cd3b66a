#include "command_support.h"

#include <iostream>

#include "app/content_view.h"

namespace corvane::cli {

void emit(const GlobalOptions& global, const nlohmann::json& json, const std::string& text) {
  if (global.json) {
    std::cout << json.dump() << "\n";
  } else if (!text.empty()) {
    std::cout << text << (text.back() == '\n' ? "" : "\n");
  }
}

int failWith(const GlobalOptions& global, const std::string& message, int code) {
  std::cerr << "corvanectl: " << message << "\n";
  if (global.json) std::cout << nlohmann::json{{"error", message}}.dump() << "\n";
  return code;
}

bool ensureDomain(ClientSession& session, const GlobalOptions& global) {
  if (session.preferences().get(keys::pref::domainLink)) return true;
  app::ContentView root(session.services());
  root.appear();
  session.runUntil([&] { return root.enterDecision().has_value(); }, kFlowLimit);
  if (root.enterDecision().value_or(false)) return true;
  failWith(global, std::string(root.locale.text("Server Error")) +
                       ": the backend's link table did not arrive");
  return false;
}

bool requireSignedIn(ClientSession& session, const GlobalOptions& global) {
  if (session.preferences().get(keys::pref::loggedIn)) return true;
  failWith(global, "not signed in: run `corvanectl login` first");
  return false;
}

void printRecordedUrls(ClientSession& session, const GlobalOptions& global) {
  if (global.json) return;
  for (const std::string& url : session.recordedUrls()) std::cout << "open: " << url << "\n";
}

int failWithLink(const GlobalOptions& global, const std::string& what, const std::optional<std::string>& stored) {
  if (!stored || stored->empty()) return failWith(global, "no " + what + " link is stored");
  return failWith(global, "the stored " + what + " link `" + *stored +
                              "' is not a URL the client opens (http, https, mailto or tg)");
}

}  // namespace corvane::cli
