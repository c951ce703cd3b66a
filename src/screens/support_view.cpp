#include "screens/support_view.h"

#include "keys/notification_names.h"
#include "platform/opener/url_text.h"

namespace corvane::screens {

SupportView::SupportView(screenkit::Services services, screenkit::Binding<bool> sideMenu)
    : ScreenModel(std::move(services)),
      presentSideMenu(std::move(sideMenu)),
      locale(services_.localeIdentifier) {}

std::string SupportView::supportEmailUrl() const {
  const std::string address = services_.preferences.get(keys::pref::emailLink).value_or("");
  // The address is encoded as one recipient, so a stored "x@y?attach=...&bcc=..." adds no
  // header fields; the rest is fixed text.
  return "mailto:" + platform::percentEncodeMailAddress(address) + "?subject=" + "&body=";
}

std::optional<std::string> SupportView::tapEmail() {
  std::optional<std::string> opened;
  const std::string url = supportEmailUrl();
  if (platform::isOpenableUrl(url)) {
    services_.opener.open(url);
    opened = url;
  }
  changed();
  return opened;
}

std::optional<std::string> SupportView::tapChat() {
  std::optional<std::string> opened;
  const auto link = services_.preferences.get(keys::pref::whatsappLink);
  if (link && platform::isOpenableUrl(*link)) {
    services_.opener.open(*link);
    opened = *link;
  }
  changed();
  return opened;
}

void SupportView::tapClose() {
  services_.mainLoop.post(
      [&notifications = services_.notifications] { notifications.post(keys::kClose); });
}

}  // namespace corvane::screens
