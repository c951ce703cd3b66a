// Every screen in its main states, drawn at a phone size and a desktop size in English and
// Simplified Chinese against the reference backend, written as PNG files for people to look
// at, and checked for text a user could not read.
#include <gtest/gtest.h>

#include <QDir>

#include <cstdlib>
#include <filesystem>

#include "api/support/backend_suite.h"
#include "app/content_view.h"
#include "keys/preference_key.h"
#include "platform/opener/url_opener.h"
#include "screens/connect_device_view.h"
#include "screens/forget_pass_success.h"
#include "screens/forget_pass_view.h"
#include "tunnel/home_view.h"
#include "screens/login_view.h"
#include "screens/main_tabbed_view.h"
#include "screens/registaration_success_view.h"
#include "screens/set_new_pass_view.h"
#include "screens/sign_up_view.h"
#include "servers/server_list_view.h"
#include "tunnel/dashboard_status.h"
#include "tunnel/setting_view.h"
#include "ui/app/window_services.h"
#include "ui/bindings/screen_bindings.h"
#include "ui/loop/qt_main_loop.h"
#include "ui/support/layout_check.h"
#include "ui/support/screen_host.h"
#include "ui/support/window_tunnel.h"

namespace corvane::ui {
namespace {

using test::spinBriefly;
using test::spinUntil;

struct Shape {
  const char* name;
  QSize size;
  const char* locale;
};

void PrintTo(const Shape& shape, std::ostream* out) { *out << shape.name << " " << shape.locale; }

class Screenshots : public test::BackendSuite<::testing::TestWithParam<Shape>> {
 protected:
  void SetUp() override {
    home_ = std::filesystem::temp_directory_path() /
            ("corvane-shots-" + std::to_string(::getpid()) + "-" + GetParam().name + GetParam().locale);
    std::filesystem::create_directories(home_);
    setenv("CORVANE_HOME", home_.c_str(), 1);
    setenv("CORVANE_API_HOST", backend_->apiHost().c_str(), 1);
    setenv("CORVANE_CA_FILE", backend_->caFile().c_str(), 1);
    setenv("LC_ALL", GetParam().locale, 1);
    setenv("CORVANE_IP_ECHO_URL", ("https://" + backend_->apiHost() + "/ip").c_str(), 1);
    const char* dir = std::getenv("CORVANE_SCREENSHOT_DIR");
    outDir_ = QString::fromLocal8Bit(dir != nullptr ? dir : "screenshots");
    QDir().mkpath(outDir_);
  }
  void TearDown() override { std::filesystem::remove_all(home_); }

  // Draws `type` over `adapter`, writes the PNG and reports every unreadable text.
  void shoot(const char* name, const QString& type, ModelAdapter& adapter,
             const std::function<void()>& before = {}) {
    test::ScreenHost host(type, adapter, GetParam().size);
    if (before) before();
    const QImage frame = host.grab();
    const QString file = QStringLiteral("%1/%2-%3-%4.png")
                             .arg(outDir_, GetParam().name, GetParam().locale, name);
    EXPECT_TRUE(frame.save(file)) << file.toStdString();
    const QStringList faults = test::unreadableTexts(host.window());
    EXPECT_TRUE(faults.isEmpty()) << name << ": " << faults.join("; ").toStdString();
  }

  std::filesystem::path home_;
  QString outDir_;
};

TEST_P(Screenshots, EveryScreenInItsMainStates) {
  QtMainLoop loop;
  WindowServices window(loop, std::make_unique<platform::RecordingUrlOpener>(), GetParam().locale,
                        test::useFakeTunnel);
  const screenkit::Services services = window.services();

  // Start-up: the splash, then the link table (which names the API domain).
  app::ContentView root(services);
  auto rootAdapter = bindRoot(root);
  shoot("splash", "RootView", *rootAdapter);
  ASSERT_TRUE(spinUntil([&] { return root.enterDecision().has_value(); }));
  app::ContentView failedRoot(services);
  auto failedAdapter = bindRoot(failedRoot);
  failedRoot.failEnterApp = true;  // what a failed link fetch shows for 2.5 s
  failedAdapter->refresh();
  shoot("splash-server-error", "Splash", *failedAdapter);

  // Login: empty, refused with empty fields, refused with filled fields, in flight.
  bool sideMenu = false;
  screens::LoginView login(services, "", false, screenkit::Binding<bool>::to(sideMenu));
  auto loginAdapter = bindLogin(login);
  shoot("login", "LoginScreen", *loginAdapter);
  login.login();
  ASSERT_TRUE(spinUntil([&] { return !login.showProgress; }));
  shoot("login-empty-fields", "LoginScreen", *loginAdapter);
  login.email = "nobody@corvane.test";
  login.password = "wrong";
  login.login();
  ASSERT_TRUE(spinUntil([&] { return !login.showProgress; }));
  shoot("login-user-not-found", "LoginScreen", *loginAdapter);
  login.showProgress = true;
  loginAdapter->refresh();
  shoot("login-progress", "LoginScreen", *loginAdapter);
  login.showProgress = false;

  // Sign-up: the form, the one-second notice, the backend's refusal.
  login.openSignUp();
  screens::SignUPView& signUp = *login.signUp();
  auto signUpAdapter = bindSignUp(signUp);
  shoot("signup", "SignUpScreen", *signUpAdapter);
  signUp.password = "a";
  signUp.rePassword = "b";
  signUp.registerAccount();
  shoot("signup-notice", "SignUpScreen", *signUpAdapter);
  signUp.rePassword = "a";
  signUp.togglePrivacy();
  signUp.registerAccount();  // no user name: the backend refuses with its message
  ASSERT_TRUE(spinUntil([&] { return !signUp.showProgress; }));
  shoot("signup-oops", "SignUpScreen", *signUpAdapter);
  screens::RegistarationSuccessView registered(services);
  auto registeredAdapter = bindRegistrationSuccess(registered);
  shoot("registration-success", "SuccessScreen", *registeredAdapter);

  // Password recovery: the refused request, the new password's notice, the success.
  screens::ForgetPassView forget(services, [] {});
  auto forgetAdapter = bindForgetPass(forget);
  forget.resetPassword();
  ASSERT_TRUE(spinUntil([&] { return !forget.showProgress; }));
  shoot("recovery-email-refused", "ForgetPassScreen", *forgetAdapter);
  screens::SetNewPassView newPass(services);
  auto newPassAdapter = bindSetNewPass(newPass);
  newPass.password = "one";
  newPass.rePassword = "two";
  newPass.saveNewPassword();
  shoot("recovery-new-password-notice", "SetNewPassScreen", *newPassAdapter);
  screens::ForgetPassSuccess recovered(services);
  auto recoveredAdapter = bindForgetPassSuccess(recovered);
  shoot("recovery-success", "SuccessScreen", *recoveredAdapter);

  // Signed in with the demo account: the container, its menu, support, devices, picker.
  login.email = "demo@corvane.test";
  login.password = "corvane-demo-2026";
  login.login();
  ASSERT_TRUE(spinUntil([&] { return !login.showProgress; }));
  ASSERT_FALSE(login.fail);
  screens::MainTabbedView main(services);
  auto mainAdapter = bindMain(main);
  shoot("main-dashboard", "MainContainer", *mainAdapter);
  main.setPresentSideMenu(true);
  shoot("main-side-menu", "MainContainer", *mainAdapter);
  main.sideMenuView().tapRow(screens::SideMenuRowType::getSupport);
  shoot("support", "MainContainer", *mainAdapter);
  main.setPresentSideMenu(true);
  main.sideMenuView().tapRow(screens::SideMenuRowType::connectDevices);
  shoot("devices", "MainContainer", *mainAdapter, [&] {
    ASSERT_TRUE(spinUntil([&] { return main.devices() != nullptr && !main.devices()->loading; }));
  });

  tunnel::HomeView home(services, screenkit::Binding<bool>::to(sideMenu));
  home.openServerList();
  servers::ServerListView& picker = *home.serverList();
  auto pickerAdapter = bindServerList(picker);
  shoot("picker", "ServerPicker", *pickerAdapter,
        [&] { ASSERT_TRUE(spinUntil([&] { return picker.refreshed(); })); });
  picker.setSearchText("ger");
  shoot("picker-search", "ServerPicker", *pickerAdapter);
  picker.setSearchText("");
  picker.changeProtocolAlert = true;  // what a protocol tap while connected shows
  pickerAdapter->refresh();
  shoot("picker-change-protocol", "ServerPicker", *pickerAdapter);

  // The dashboard and the kill switch over the tunnel core on the fake tunnel service.
  ASSERT_NE(services.tunnelCore, nullptr) << window.root().tunnelCoreError();
  platform::FakeTunnelDaemon& daemon = test::fakeTunnel(window.root());
  keys::Preferences prefs = services.preferences;
  prefs.set(keys::pref::initialServerSelected, false);
  tunnel::HomeView dashboard(services, screenkit::Binding<bool>::to(sideMenu));
  auto dashboardAdapter = bindHome(dashboard);
  dashboard.pressPower();  // before any server was chosen: "Connect Failed!"
  shoot("dashboard-select-server", "Dashboard", *dashboardAdapter,
        [&] { ASSERT_TRUE(spinUntil([&] { return dashboard.selectServerAlert; })); });
  dashboard.alertCancel();
  prefs.set(keys::pref::initialServerSelected, true);
  prefs.set(keys::pref::wireGuard, true);
  prefs.set(keys::pref::ipName, std::string("Frankfurt #03"));
  prefs.set(keys::pref::countryCode, std::string("276"));
  prefs.set(keys::pref::countryName, std::string("Germany"));
  prefs.set(keys::pref::announcementOne,
            std::string("Scheduled maintenance on Sunday 02:00-03:00 UTC: servers in Frankfurt and Tokyo "
                        "restart one after another, each for about five minutes."));
  const auto addressShown = [&] { return dashboard.dashboard()->currentIpAddress.has_value(); };
  shoot("dashboard-disconnected", "Dashboard", *dashboardAdapter,
        [&] { ASSERT_TRUE(spinUntil(addressShown)); });
  daemon.setStatus(platform::VpnStatus::connecting);
  shoot("dashboard-connecting", "Dashboard", *dashboardAdapter, [&] {
    ASSERT_TRUE(spinUntil([&] { return dashboard.dashboard()->animation != "Connecting1"; }));
  });
  daemon.setStatus(platform::VpnStatus::connected);
  shoot("dashboard-connected", "Dashboard", *dashboardAdapter, [&] {
    ASSERT_TRUE(spinUntil(addressShown));
    daemon.emitTraffic({.rxBytes = 9'000'000, .txBytes = 700'000, .uplink = 15'360, .downlink = 1'572'864});
    spinBriefly();
  });

  bool killSwitch = false;
  tunnel::SettingView setting(services, screenkit::Binding<bool>::to(killSwitch), nullptr);
  setting.loadManager();
  auto settingAdapter = bindSetting(setting);
  shoot("kill-switch-off", "SettingScreen", *settingAdapter,
        [&] { ASSERT_TRUE(spinUntil([&] { return setting.manager != nullptr; })); });
  setting.tapSwitch();
  shoot("kill-switch-on", "SettingScreen", *settingAdapter,
        [&] { ASSERT_TRUE(spinUntil([&] { return !setting.saving; })); });
  EXPECT_TRUE(killSwitch);
}

INSTANTIATE_TEST_SUITE_P(
    PhoneAndDesktop, Screenshots,
    ::testing::Values(Shape{"phone", {390, 844}, "en_US"}, Shape{"phone", {390, 844}, "zh_CN"},
                      Shape{"desktop", {1280, 800}, "en_US"}, Shape{"desktop", {1280, 800}, "zh_CN"}),
    [](const auto& info) { return std::string(info.param.name) + "_" + info.param.locale; });

}  // namespace
}  // namespace corvane::ui
