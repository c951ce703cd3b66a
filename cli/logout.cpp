// corvanectl logout: the side menu's "Log out" in the main container.
#include "command_support.h"
#include "screens/login_view.h"
#include "screens/main_tabbed_view.h"

namespace corvane::cli {
namespace {

int runLogout(const GlobalOptions& global) {
  ClientSession session({});
  if (!requireSignedIn(session, global)) return kExitFailure;
  screens::MainTabbedView main(session.services());
  main.setPresentSideMenu(true);
  main.sideMenuView().tapRow(screens::SideMenuRowType::logOut);
  // The container now shows the login screen, prefilled with the account that left.
  screens::LoginView* login = main.login();
  if (login != nullptr) login->appear();
  // The offline report answers nobody, but it should reach the backend before we exit.
  session.drainRequests(std::chrono::seconds(10));
  const std::string prefilled = login != nullptr ? login->email : "";
  emit(global, {{"loggedIn", session.preferences().get(keys::pref::loggedIn)}, {"prefilledEmail", prefilled}},
       "Logged out. The login screen offers " + (prefilled.empty() ? "no account" : prefilled));
  return kExitOk;
}

}  // namespace

CORVANE_COMMAND("logout", "Log out from the side menu (the stored credentials stay)",
                 [](CLI::App&, const GlobalOptions& global) -> std::function<int()> {
                   return [&global] { return runLogout(global); };
                 });

}  // namespace corvane::cli
