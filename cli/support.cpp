// corvanectl support email|chat: the support screen's two rows.
#include "command_support.h"
#include "keys/preference_key.h"
#include "screens/main_tabbed_view.h"
#include "screens/support_view.h"

namespace corvane::cli {
namespace {

int runSupport(const GlobalOptions& global, const std::string& row) {
  ClientSession session({});
  if (!ensureDomain(session, global)) return kExitFailure;
  screens::MainTabbedView main(session.services());
  main.setPresentSideMenu(true);
  main.sideMenuView().tapRow(screens::SideMenuRowType::getSupport);
  screens::SupportView& support = *main.support();
  const auto opened = row == "email" ? support.tapEmail() : support.tapChat();
  if (!opened) {
    return failWithLink(global, row,
                        session.preferences().get(row == "email" ? keys::pref::emailLink : keys::pref::whatsappLink));
  }
  printRecordedUrls(session, global);  // where no desktop could open it
  emit(global, {{"opened", *opened}}, session.recordedUrls().empty() ? "Opened " + *opened : "");
  return kExitOk;
}

}  // namespace

CORVANE_COMMAND("support", "Open the support e-mail or chat link",
                 [](CLI::App& sub, const GlobalOptions& global) -> std::function<int()> {
                   auto row = std::make_shared<std::string>();
                   sub.add_option("WHAT", *row, "email or chat")
                       ->required()
                       ->check(CLI::IsMember({"email", "chat"}));
                   return [&global, row] { return runSupport(global, *row); };
                 });

}  // namespace corvane::cli
