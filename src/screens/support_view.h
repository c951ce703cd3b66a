#pragma once
// The support screen: an e-mail to the support address and the chat link, both from the
// link table the backend client stored at start-up.
#include <array>
#include <optional>
#include <string>

#include "screenkit/binding.h"
#include "screenkit/localization.h"
#include "screenkit/screen_model.h"

namespace corvane::screens {

class SupportView : public screenkit::ScreenModel {
 public:
  SupportView(screenkit::Services services, screenkit::Binding<bool> presentSideMenu);

  screenkit::Binding<bool> presentSideMenu;  // passed in, not changed here
  screenkit::Localization locale;

  struct Row {
    std::string_view icon, title, subtitle;
  };
  static constexpr Row kEmailRow = {"sms", "Email", "Send email for support"};
  static constexpr Row kChatRow = {"whatsapp", "Telegram", "Get support via Telegram"};
  static constexpr std::string_view kTitle = "Plans";
  static constexpr screenkit::NamedText kTexts[] = {{"title", kTitle}};
  // The e-mail row, then the chat row, in the user's language.
  std::array<Row, 2> rows() const {
    const auto shown = [this](const Row& row) {
      return Row{row.icon, locale.text(row.title), locale.text(row.subtitle)};
    };
    return {shown(kEmailRow), shown(kChatRow)};
  }

  // The rows' actions. Each returns what it opened, or none when the stored link made no
  // valid URL or one of a scheme the client does not open (then nothing is opened).
  std::optional<std::string> tapEmail();
  std::optional<std::string> tapChat();
  // The "Close" control: back to the dashboard.
  void tapClose();

  // "mailto:" + the stored address, percent-encoded as one recipient, + "?subject=" + "&body=".
  std::string supportEmailUrl() const;
};

}  // namespace corvane::screens
