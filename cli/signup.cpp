// corvanectl signup: the sign-up screen behind the login screen's "Register" link.
#include <iostream>

#include "command_support.h"
#include "password_input.h"
#include "screens/login_view.h"
#include "screens/sign_up_view.h"

namespace corvane::cli {
namespace {

struct SignupOptions {
  std::string username;
  std::string email;
  bool acceptPrivacy = false;
  bool passwordStdin = false;
};

int runSignup(const GlobalOptions& global, const SignupOptions& options) {
  ClientSession session({});
  // Passwords first, so a prompt is not interrupted by the gate's wait.
  std::optional<std::string> password;
  std::optional<std::string> retyped;
  if (options.passwordStdin) {
    password = readPasswordLine();
    retyped = readPasswordLine();
    if (!retyped) retyped = password;  // one line: typed once, retyped the same
  } else {
    password = promptPassword("Password: ");
    retyped = promptPassword("Retype-password: ");
  }
  if (!password || !retyped) return failWith(global, "cannot read the passwords", kExitUsage);
  if (!ensureDomain(session, global)) return kExitFailure;

  bool sideMenu = false;
  screens::LoginView login(session.services(), "", false, screenkit::Binding<bool>::to(sideMenu));
  login.openSignUp();
  screens::SignUPView& signUp = *login.signUp();
  signUp.username = options.username;
  signUp.email = options.email;
  signUp.password = *password;
  signUp.rePassword = *retyped;
  if (options.acceptPrivacy) signUp.togglePrivacy();
  signUp.registerAccount();
  if (signUp.showAlertPass()) {
    return failWith(global, std::string(signUp.locale.text("Password Does Not Match!")));
  }
  if (signUp.showToggleAlert()) {
    return failWith(global, std::string(signUp.locale.text("Agree Privacy Policy")) +
                                " (pass --accept-privacy)");
  }
  session.runUntil([&] { return !signUp.showProgress; }, kFlowLimit);
  if (signUp.fail) {
    return failWith(global, std::string(signUp.locale.text("Oops!")) + " " + signUp.alertMessage());
  }
  emit(global, {{"registered", true}, {"username", options.username}},
       std::string(signUp.locale.text("Registration Successful")) +
           "\nThe login form now offers " + options.username);
  return kExitOk;
}

}  // namespace

CORVANE_COMMAND("signup", "Create an account (passwords from prompts or --password-stdin)",
                 [](CLI::App& sub, const GlobalOptions& global) -> std::function<int()> {
                   auto options = std::make_shared<SignupOptions>();
                   sub.add_option("--username", options->username, "User name")->required();
                   sub.add_option("--email", options->email, "Contact e-mail address")->required();
                   sub.add_flag("--accept-privacy", options->acceptPrivacy,
                                "Tick the privacy-policy box");
                   sub.add_flag("--password-stdin", options->passwordStdin,
                                "Read the password, then the retyped one, from standard input");
                   return [&global, options] { return runSignup(global, *options); };
                 });

}  // namespace corvane::cli
