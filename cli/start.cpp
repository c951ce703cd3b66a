// corvanectl start: the start-up gate, as the app runs it at launch.
#include "app/content_view.h"
#include "command_support.h"

namespace corvane::cli {
namespace {

std::string rootName(app::ContentView::Child child) {
  switch (child) {
    case app::ContentView::Child::splash: return "splash";
    case app::ContentView::Child::nothing: return "nothing";
    case app::ContentView::Child::login: return "login";
    case app::ContentView::Child::main: return "main";
  }
  return "";
}

int runStart(const GlobalOptions& global) {
  ClientSession session({});
  app::ContentView root(session.services());
  root.appear();
  // Entered (2.0 s after the link table), or refused and the error box gone again (2.5 s).
  session.runUntil(
      [&] {
        return root.shown() != app::ContentView::Child::splash ||
               (root.enterDecision() == false && !root.failEnterApp);
      },
      kFlowLimit);
  const bool entered = root.enterDecision().value_or(false);
  const std::string message =
      entered ? "You can enter the app" : std::string(root.locale.text("Server Error"));
  const std::string shown = rootName(root.shown());
  const char* screen = root.shown() == app::ContentView::Child::main    ? "main container"
                       : root.shown() == app::ContentView::Child::login ? "login screen"
                                                                        : "splash";
  emit(global, {{"enter", entered}, {"message", message}, {"root", shown}},
       message + "\nRoot shows: " + screen);
  session.drainRequests(std::chrono::seconds(5));  // the announcements
  return entered ? kExitOk : kExitFailure;
}

}  // namespace

CORVANE_COMMAND("start", "Run the start-up gate: fetch the link table and show where the app goes",
                 [](CLI::App&, const GlobalOptions& global) -> std::function<int()> {
                   return [&global] { return runStart(global); };
                 });

}  // namespace corvane::cli
