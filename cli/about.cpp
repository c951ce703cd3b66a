// corvanectl about: the side menu's "About Us" row, which opens the about page's link.
#include "command_support.h"
#include "keys/preference_key.h"
#include "platform/opener/url_text.h"
#include "screens/main_tabbed_view.h"
#include "screens/side_menu_row_type.h"

namespace corvane::cli {
namespace {

int runAbout(const GlobalOptions& global) {
  ClientSession session({});
  if (!ensureDomain(session, global)) return kExitFailure;
  screens::MainTabbedView main(session.services());
  main.setPresentSideMenu(true);
  main.sideMenuView().tapRow(screens::SideMenuRowType::aboutUs);
  // The row opens the stored link only when it forms a URL of a scheme the client opens.
  const auto link = session.preferences().get(keys::pref::aboutUsLink);
  if (!link || !platform::isOpenableUrl(*link)) return failWithLink(global, "about", link);
  printRecordedUrls(session, global);  // where no desktop could open it
  emit(global, {{"opened", *link}}, session.recordedUrls().empty() ? "Opened " + *link : "");
  return kExitOk;
}

}  // namespace

CORVANE_COMMAND("about", "Open the about page (the side menu's \"About Us\" row)",
                 [](CLI::App&, const GlobalOptions& global) -> std::function<int()> {
                   return [&global] { return runAbout(global); };
                 });

}  // namespace corvane::cli
