#include "screens/main_tabbed_view.h"

#include "api/api_client.h"
#include "keys/notification_names.h"
#include "platform/opener/url_text.h"
#include "screens/connect_device_view.h"
#include "tunnel/home_view.h"
#include "tunnel/setting_view.h"
#include "screens/login_view.h"
#include "screens/support_view.h"

namespace corvane::screens {

MainTabbedView::MainTabbedView(screenkit::Services services)
    : ScreenModel(std::move(services)),
      sideMenuView_(services_,
                    screenkit::Binding<std::int64_t>([this] { return selected_; },
                                          [this](std::int64_t v) { setSelectedSideMenuTab(v); }),
                    sideMenuBinding()),
      sideMenu_(sideMenuBinding()) {
  auto backToDashboard = [this] { setSelectedSideMenuTab(kDashboard); };
  closeObserver_ = platform::ObserverRegistration(
      services_.notifications,
      services_.notifications.addObserver(std::string(keys::kClose), backToDashboard));
  loginObserver_ = platform::ObserverRegistration(
      services_.notifications,
      services_.notifications.addObserver(std::string(keys::kLoginSuccess), backToDashboard));
  syncChildren();
}

MainTabbedView::~MainTabbedView() = default;

screenkit::Binding<bool> MainTabbedView::sideMenuBinding() {
  return screenkit::Binding<bool>([this] { return presentSideMenu; },
                       [this](bool v) { setPresentSideMenu(v); });
}

void MainTabbedView::setPresentSideMenu(bool value) {
  presentSideMenu = value;
  changed();
}

void MainTabbedView::setSelectedSideMenuTab(std::int64_t value) {
  const bool changedValue = value != selected_;
  selected_ = value;
  if (changedValue) {
    if (value == static_cast<std::int64_t>(SideMenuRowType::logOut)) logOut();
    if (value == static_cast<std::int64_t>(SideMenuRowType::aboutUs)) openAboutPage();
  }
  syncChildren();
  changed();
}

MainTabbedView::Shown MainTabbedView::shown() const {
  switch (selected_) {
    case 0: return Shown::support;
    case 1: return Shown::setting;
    case 2: return Shown::connectDevices;
    case 3: return Shown::aboutUs;
    case 4: return Shown::login;
    default: return Shown::dashboard;
  }
}

void MainTabbedView::logOut() {
  auto& prefs = services_.preferences;
  const std::string username = prefs.get(keys::pref::username).value_or("");
  const std::string password = prefs.get(keys::pref::password).value_or("");
  const std::string udid = services_.keychain.stringForKey("UUID").value_or("");
  // Not waited for: the local sign-out does not depend on the backend hearing about it.
  services_.api.setPinOffline(username, password, udid);
  // The credentials stay, so the login screen offers them again.
  prefs.set(keys::pref::loggedIn, false);
}

void MainTabbedView::openAboutPage() {
  const auto link = services_.preferences.get(keys::pref::aboutUsLink);
  if (link && platform::isOpenableUrl(*link)) services_.opener.open(*link);
}

void MainTabbedView::syncChildren() {
  const Shown now = shown();
  auto forward = [this] { changed(); };
  if (now != Shown::support) screenkit::retire(services_.mainLoop, support_);
  if (now != Shown::connectDevices) screenkit::retire(services_.mainLoop, devices_);
  if (now != Shown::aboutUs) screenkit::retire(services_.mainLoop, nested_);
  if (now != Shown::login) screenkit::retire(services_.mainLoop, login_);
  if (now != Shown::dashboard) screenkit::retire(services_.mainLoop, home_);
  if (now != Shown::setting) screenkit::retire(services_.mainLoop, setting_);
  switch (now) {
    case Shown::support:
      if (!support_) {
        support_ = std::make_unique<SupportView>(services_, sideMenuBinding());
        support_->addChangeListener(forward);
      }
      break;
    case Shown::connectDevices:
      if (!devices_) {
        devices_ = std::make_unique<ConnectDeviceView>(services_);
        devices_->addChangeListener(forward);
      }
      break;
    case Shown::aboutUs:
      if (!nested_) {
        nested_ = std::make_unique<MainTabbedView>(services_);
        nested_->addChangeListener(forward);
      }
      break;
    case Shown::login:
      if (!login_) {
        login_ = std::make_unique<LoginView>(services_, "", false, sideMenuBinding());
        login_->addChangeListener(forward);
      }
      break;
    case Shown::dashboard:
      if (!home_) {
        home_ = std::make_unique<tunnel::HomeView>(services_, sideMenuBinding());
        home_->addChangeListener(forward);
      }
      break;
    case Shown::setting:
      if (!setting_) {
        // The switch edits the container's `killswith`; the manager is the power button's.
        setting_ = std::make_unique<tunnel::SettingView>(
            services_, screenkit::Binding<bool>([this] { return killswith; }, [this](bool v) { killswith = v; }),
            nullptr);
        setting_->addChangeListener(forward);
        setting_->loadManager();
      }
      break;
  }
}

}  // namespace corvane::screens
