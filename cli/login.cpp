// corvanectl login: the login screen, reached through the start-up gate like at launch.
#include <unistd.h>

#include <iostream>

#include "app/content_view.h"
#include "command_support.h"
#include "password_input.h"
#include "screens/login_view.h"

namespace corvane::cli {
namespace {

struct LoginOptions {
  std::optional<std::string> email;
  bool passwordStdin = false;
};

int runLogin(const GlobalOptions& global, const LoginOptions& options) {
  ClientSession session({});
  // The gate's 2 s after the link table is the splash animation's time; with no splash to
  // draw the root moves on at once (what the gate stores does not wait for it).
  app::ContentView root(session.services(), platform::Duration::zero());
  root.appear();
  session.runUntil(
      [&] {
        return root.shown() != app::ContentView::Child::splash || root.enterDecision() == false;
      },
      kFlowLimit);
  if (!root.enterDecision().value_or(false)) {
    return failWith(global, std::string(root.locale.text("Server Error")));
  }
  if (root.shown() == app::ContentView::Child::main) {
    const std::string user = session.preferences().get(keys::pref::username).value_or("");
    session.drainRequests(std::chrono::seconds(5));  // the announcements the gate asked for
    emit(global, {{"loggedIn", true}, {"alreadySignedIn", true}, {"username", user}},
         "Already signed in as " + user + " (corvanectl logout to sign out)");
    return kExitOk;
  }
  screens::LoginView& login = *root.login();
  login.appear();  // prefills the last account, as the form does
  if (options.email) login.email = *options.email;
  if (options.passwordStdin) {
    auto password = readPasswordLine();
    if (!password) return failWith(global, "no password on standard input", kExitUsage);
    login.password = *password;
  } else if (::isatty(STDIN_FILENO) != 0) {
    const std::string hint = login.password.empty() ? "" : " (Enter keeps the stored one)";
    auto password = promptPassword(std::string(login.locale.text("Password")) + hint + ": ");
    if (!password) return failWith(global, "cannot read the password", kExitUsage);
    if (!password->empty()) login.password = *password;
  } else if (login.password.empty()) {
    return failWith(global, "no password: use --password-stdin or a terminal", kExitUsage);
  }
  login.login();
  session.runUntil([&] { return !login.showProgress; }, kFlowLimit);
  // "LoginSuccess" moves the root on within the same turn.
  session.runUntil([&] { return root.shown() == app::ContentView::Child::main; },
                   std::chrono::milliseconds(500));
  const bool ok = root.shown() == app::ContentView::Child::main;
  nlohmann::json json{{"loggedIn", ok}, {"username", login.email}};
  std::string text;
  if (ok) {
    text = "Login successful\nRoot shows: main container";
  } else {
    for (auto message : {login.emailError(), login.passwordError(), login.failureText()}) {
      if (message) {
        json["messages"].push_back(std::string(*message));
        text += std::string(*message) + "\n";
      }
    }
  }
  session.drainRequests(std::chrono::seconds(5));
  if (!ok) {
    if (global.json) std::cout << json.dump() << "\n";
    std::cerr << "corvanectl: " << text;
    return kExitFailure;
  }
  emit(global, json, text);
  return kExitOk;
}

}  // namespace

CORVANE_COMMAND("login", "Sign in (password from a prompt or --password-stdin)",
                 [](CLI::App& sub, const GlobalOptions& global) -> std::function<int()> {
                   auto options = std::make_shared<LoginOptions>();
                   sub.add_option("-u,--email", options->email,
                                  "E-mail or user name (default: the last one signed in)");
                   sub.add_flag("--password-stdin", options->passwordStdin,
                                "Read the password from the first line of standard input");
                   return [&global, options] { return runLogin(global, *options); };
                 });

}  // namespace corvane::cli
