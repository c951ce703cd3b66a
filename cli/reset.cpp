// corvanectl reset --code C: the new-password screen. The code is stored as "OTPValue",
// which is where the screen reads it from; the account is the one `forgot` stored.
#include "command_support.h"
#include "password_input.h"
#include "screens/forget_pass_success.h"
#include "screens/login_view.h"
#include "screens/set_new_pass_view.h"

namespace corvane::cli {
namespace {

struct ResetOptions {
  std::string code;
  bool passwordStdin = false;
};

int runReset(const GlobalOptions& global, const ResetOptions& options) {
  ClientSession session({});
  std::optional<std::string> password;
  std::optional<std::string> retyped;
  if (options.passwordStdin) {
    password = readPasswordLine();
    retyped = readPasswordLine();
    if (!retyped) retyped = password;
  } else {
    password = promptPassword("New password: ");
    retyped = promptPassword("Please re-enter password: ");
  }
  if (!password || !retyped) return failWith(global, "cannot read the passwords", kExitUsage);
  if (!ensureDomain(session, global)) return kExitFailure;

  session.preferences().set(keys::pref::otpValue, options.code);
  screens::SetNewPassView screen(session.services());
  screen.password = *password;
  screen.rePassword = *retyped;
  screen.saveNewPassword();
  if (screen.showAlertPass()) {
    return failWith(global, std::string(screen.locale.text("Password Does Not Match!")));
  }
  session.runUntil([&] { return !screen.showProgress; }, kFlowLimit);
  if (!screen.success) {
    return failWith(global, std::string(screen.locale.text("Oops!")) + " " + screen.alertMessage());
  }
  screen.successScreen()->goToLoginTapped();
  screens::LoginView& login = *screen.successScreen()->login();
  login.appear();
  emit(global, {{"reset", true}, {"prefilledEmail", login.email}},
       std::string(screen.locale.text("New password set successfully")) +
           "\nThe login form offers " + login.email);
  return kExitOk;
}

}  // namespace

CORVANE_COMMAND("reset", "Set a new password with the reset code (passwords from prompts or stdin)",
                 [](CLI::App& sub, const GlobalOptions& global) -> std::function<int()> {
                   auto options = std::make_shared<ResetOptions>();
                   sub.add_option("--code", options->code, "The reset code from the e-mail")
                       ->required();
                   sub.add_flag("--password-stdin", options->passwordStdin,
                                "Read the new password, then the retyped one, from standard input");
                   return [&global, options] { return runReset(global, *options); };
                 });

}  // namespace corvane::cli
