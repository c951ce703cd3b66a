// corvanectl forgot: the forgotten-password screen; asks the backend to send a reset code.
#include "command_support.h"
#include "screens/forget_pass_view.h"
#include "screens/login_view.h"

namespace corvane::cli {
namespace {

int runForgot(const GlobalOptions& global, const std::string& email) {
  ClientSession session({});
  if (!ensureDomain(session, global)) return kExitFailure;
  bool sideMenu = false;
  screens::LoginView login(session.services(), "", false, screenkit::Binding<bool>::to(sideMenu));
  login.openForgetPassword();
  screens::ForgetPassView& forget = *login.forgetPass();
  forget.registerEmail = email;
  forget.resetPassword();
  session.runUntil([&] { return !forget.showProgress; }, kFlowLimit);
  if (!forget.success) {
    std::string message;
    if (auto field = forget.fieldError()) message += std::string(*field) + "\n";
    if (auto failure = forget.failureText()) message += std::string(*failure);
    return failWith(global, message);
  }
  emit(global, {{"requested", true}, {"username", email}},
       "Reset code requested for " + email +
           ".\nSet the new password with: corvanectl reset --code CODE");
  return kExitOk;
}

}  // namespace

CORVANE_COMMAND("forgot", "Ask for a password-reset code for a registered e-mail",
                 [](CLI::App& sub, const GlobalOptions& global) -> std::function<int()> {
                   auto email = std::make_shared<std::string>();
                   sub.add_option("--email", *email, "The registered e-mail address")->required();
                   return [&global, email] { return runForgot(global, *email); };
                 });

}  // namespace corvane::cli
