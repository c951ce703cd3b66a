// What a user does in the drawn screens reaches the models: typing fills the model's
// fields, Tab moves on, links and rows tap the model's actions, Escape closes the menu.
// The models' own tests cover what the actions then do.
#include <gtest/gtest.h>

#include <QQuickItem>
#include <QTest>

#include <filesystem>

#include "screens/forget_pass_view.h"
#include "screens/login_view.h"
#include "screens/main_tabbed_view.h"
#include "screens/set_new_pass_view.h"
#include "screens/sign_up_view.h"
#include "screens/support_view.h"
#include "servers/server_list_view.h"
#include "tunnel/home_view.h"
#include "tunnel/setting_view.h"
#include "ui/app/window_services.h"
#include "ui/bindings/screen_bindings.h"
#include "ui/loop/qt_main_loop.h"
#include "ui/support/screen_host.h"
#include "ui/support/window_tunnel.h"

namespace corvane::ui {
namespace {

using test::ScreenHost;
using test::spinBriefly;

class ScreenBinding : public ::testing::Test {
 protected:
  ~ScreenBinding() override { std::filesystem::remove_all(home_); }

  // Runs before the window's services are built: they read these when made, and without
  // CORVANE_HOME they would open the stores under the user's own home.
  bool pointAtTestHome() const {
    setenv("CORVANE_HOME", home_.c_str(), 1);
    setenv("CORVANE_API_HOST", "127.0.0.1:9", 1);  // nothing answers; no test here waits for it
    setenv("CORVANE_IP_ECHO_URL", "http://127.0.0.1:9/ip", 1);
    return true;
  }

  static void type(QQuickWindow& window, const char* text) {
    for (const char* c = text; *c != '\0'; ++c) QTest::keyClick(&window, *c);
    spinBriefly();
  }
  // Searches the drawn items, where delegates of a Repeater live (they have no QObject
  // parent to search).
  static QQuickItem* drawn(QQuickItem* from, const QString& name) {
    if (from->objectName() == name) return from;
    for (QQuickItem* child : from->childItems()) {
      if (QQuickItem* found = drawn(child, name)) return found;
    }
    return nullptr;
  }
  static void tap(ScreenHost& host, const char* objectName) {
    QQuickItem* item = drawn(host.window().contentItem(), QString::fromLatin1(objectName));
    ASSERT_NE(item, nullptr) << objectName;
    const QPointF centre = item->mapToScene(QPointF(item->width() / 2, item->height() / 2));
    QTest::mouseClick(&host.window(), Qt::LeftButton, Qt::NoModifier, centre.toPoint());
    spinBriefly();
  }

  std::filesystem::path home_ = std::filesystem::temp_directory_path() /
                                ("corvane-binding-" + std::to_string(::getpid()));
  bool pointed_ = pointAtTestHome();
  QtMainLoop loop_;
  WindowServices window_{loop_, std::make_unique<platform::RecordingUrlOpener>(), "en_US", test::useFakeTunnel};
  screenkit::Services services_ = window_.services();
  bool sideMenu_ = false;
};

TEST_F(ScreenBinding, LoginFieldsTakeTypingInTabOrderAndRegisterOpensSignUp) {
  screens::LoginView login(services_, "", false, screenkit::Binding<bool>::to(sideMenu_));
  auto adapter = bindLogin(login);
  ScreenHost host("LoginScreen", *adapter, {390, 844});
  host.window().requestActivate();
  test::spinUntil([&] { return host.window().activeFocusItem() != nullptr; });
  type(host.window(), "ann@corvane.test");
  QTest::keyClick(&host.window(), Qt::Key_Tab);
  type(host.window(), "secret");
  EXPECT_EQ(login.email, "ann@corvane.test");
  EXPECT_EQ(login.password, "secret");

  tap(host, "registerLink");
  EXPECT_NE(login.signUp(), nullptr);
}

// Each text field goes through its model's setter: typing redraws the screen once, the same
// text again (a field re-assigned on focus change) redraws nothing.
TEST_F(ScreenBinding, TypedTextReachesTheModelAndRedrawsOnlyWhenItChanged) {
  screens::LoginView login(services_, "", false, screenkit::Binding<bool>::to(sideMenu_));
  screens::SignUPView signUp(services_, [] {});
  screens::ForgetPassView forget(services_, [] {});
  screens::SetNewPassView newPass(services_);
  servers::ProtocolSelection flags;
  servers::ServerListView picker(services_, flags, [] {});
  const auto loginA = bindLogin(login);
  const auto signUpA = bindSignUp(signUp);
  const auto forgetA = bindForgetPass(forget);
  const auto newPassA = bindSetNewPass(newPass);
  const auto pickerA = bindServerList(picker);
  const struct {
    ModelAdapter* adapter;
    const char* input;
    const std::string* field;
  } inputs[] = {
      {loginA.get(), "email", &login.email},           {loginA.get(), "password", &login.password},
      {signUpA.get(), "username", &signUp.username},   {signUpA.get(), "email", &signUp.email},
      {signUpA.get(), "password", &signUp.password},   {signUpA.get(), "rePassword", &signUp.rePassword},
      {forgetA.get(), "registerEmail", &forget.registerEmail},
      {newPassA.get(), "password", &newPass.password}, {newPassA.get(), "rePassword", &newPass.rePassword},
      {pickerA.get(), "searchText", &picker.searchText},
  };
  for (const auto& in : inputs) {
    int redraws = 0;
    const auto counting = QObject::connect(in.adapter, &ModelAdapter::changed, [&] { ++redraws; });
    in.adapter->setProperty(in.input, QStringLiteral("ann 安"));
    EXPECT_EQ(*in.field, "ann 安") << in.input;
    EXPECT_EQ(redraws, 1) << in.input;
    in.adapter->setProperty(in.input, QStringLiteral("ann 安"));
    EXPECT_EQ(redraws, 1) << in.input << ": the same text redrew the screen";
    QObject::disconnect(counting);
  }
}

// The support screen speaks the services' language, whatever the environment says.
TEST_F(ScreenBinding, SupportTextsFollowTheServicesLanguageNotTheEnvironment) {
  const char* before = std::getenv("LC_ALL");
  const std::string kept = before != nullptr ? before : "";
  setenv("LC_ALL", "zh_CN.UTF-8", 1);
  screens::SupportView support(services_, screenkit::Binding<bool>::to(sideMenu_));
  auto adapter = bindSupport(support);
  before != nullptr ? setenv("LC_ALL", kept.c_str(), 1) : unsetenv("LC_ALL");
  EXPECT_EQ(adapter->value("title").toString(), "Plans");
  const QVariantList rows = adapter->value("rows").toList();
  ASSERT_EQ(rows.size(), 2);
  EXPECT_EQ(rows[0].toMap().value("title").toString(), "Email");
  EXPECT_EQ(rows[1].toMap().value("subtitle").toString(), "Get support via Telegram");
}

TEST_F(ScreenBinding, PrivacyBoxTicksTheModel) {
  screens::SignUPView signUp(services_, [] {});
  auto adapter = bindSignUp(signUp);
  ScreenHost host("SignUpScreen", *adapter, {390, 844});
  tap(host, "privacyBox");
  EXPECT_TRUE(signUp.toggle);
  tap(host, "privacyBox");
  EXPECT_FALSE(signUp.toggle);
}

TEST_F(ScreenBinding, MenuRowsSelectTheirScreenAndEscapeClosesTheMenu) {
  screens::MainTabbedView main(services_);
  auto adapter = bindMain(main);
  main.setPresentSideMenu(true);
  ScreenHost host("MainContainer", *adapter, {1280, 800});
  tap(host, "menuRow0");
  EXPECT_EQ(main.selectedSideMenuTab(), 0);
  EXPECT_FALSE(main.presentSideMenu);

  main.setPresentSideMenu(true);
  spinBriefly();
  host.window().requestActivate();
  test::spinUntil([&] { return host.window().activeFocusItem() != nullptr; });
  QTest::keyClick(&host.window(), Qt::Key_Escape);
  spinBriefly();
  EXPECT_FALSE(main.presentSideMenu);
}

TEST_F(ScreenBinding, PowerButtonAndCardDriveTheDashboardAndItsLookFollowsTheTunnel) {
  platform::FakeTunnelDaemon& daemon = test::fakeTunnel(window_.root());
  tunnel::HomeView home(services_, screenkit::Binding<bool>::to(sideMenu_));
  auto adapter = bindHome(home);
  ScreenHost host("Dashboard", *adapter, {390, 844});
  tap(host, "powerButton");  // no server chosen yet
  EXPECT_TRUE(test::spinUntil([&] { return home.selectServerAlert; }));

  const struct {
    platform::VpnStatus status;
    const char* text;
    bool disabled;
    const char* frame;  // the first frame of its image
  } looks[] = {
      {platform::VpnStatus::connecting, "Connecting...", true, "Connecting"},
      {platform::VpnStatus::connected, "Disconnect", false, "powerConnect"},
      {platform::VpnStatus::disconnected, "Connect", false, "powerButtonOff"},
  };
  for (const auto& look : looks) {
    daemon.setStatus(look.status);
    spinBriefly();
    EXPECT_EQ(adapter->value("buttonText").toString(), look.text);
    EXPECT_EQ(adapter->value("buttonDisabled").toBool(), look.disabled) << look.text;
    EXPECT_TRUE(adapter->value("powerFrame").toString().startsWith(look.frame)) << look.text;
  }
  home.alertCancel();
  spinBriefly();
  tap(host, "lastUsedServerCard");
  EXPECT_NE(home.serverList(), nullptr);
}

TEST_F(ScreenBinding, KillSwitchRowFlipsTheSwitchByTapAndBySpace) {
  bool on = false;
  tunnel::SettingView setting(services_, screenkit::Binding<bool>::to(on), nullptr);
  auto adapter = bindSetting(setting);
  ScreenHost host("SettingScreen", *adapter, {1280, 800});
  tap(host, "killSwitchRow");
  EXPECT_TRUE(on);
  EXPECT_TRUE(adapter->value("on").toBool());
  host.window().requestActivate();
  test::spinUntil([&] { return host.window().activeFocusItem() != nullptr; });
  QTest::keyClick(&host.window(), Qt::Key_Space);
  spinBriefly();
  EXPECT_FALSE(on);
}

}  // namespace
}  // namespace corvane::ui
