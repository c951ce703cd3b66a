#pragma once
// Localisation of every visible text of the screens. The English text itself is the key: a
// screen asks for "Log In" and gets the text of the active table, or "Log In" unchanged when
// the table has no entry. Texts made from stored data (a user name, a backend message) are
// shown as they are and never pass through here.
//
// The locale also decides one layout detail: underlines under link texts are narrower when
// the locale identifier begins with "zh", because the Chinese labels are shorter.
#include <string>
#include <string_view>
#include <unordered_map>

namespace corvane::screenkit {

class Localization {
 public:
  // Picks the table by the locale identifier ("zh_CN", "zh-Hans", "de_DE", "C"): every
  // identifier that begins with "zh" gets Simplified Chinese, all others English.
  explicit Localization(std::string localeIdentifier);

  // From LC_ALL, LC_MESSAGES or LANG (the first one set), without encoding or modifier:
  // "zh_CN.UTF-8" → "zh_CN". "en" when none is set.
  static Localization fromEnvironment();

  // The one lookup every screen text goes through.
  std::string_view text(std::string_view english) const;

  const std::string& localeIdentifier() const { return localeIdentifier_; }
  bool isChinese() const;

 private:
  std::string localeIdentifier_;
  const std::unordered_map<std::string_view, std::string_view>* table_;
};

// One fixed text of a screen: the name its drawing layer reads it by, and its English key.
// Each screen model lists its fixed texts in one such table, so a text is spelled once, in
// the model, and reaches every front end through the model's locale.
struct NamedText {
  std::string_view name;
  std::string_view english;
};

// The two shipped tables. The English one lists every visible text of the screens mapped to
// itself; it is the inventory the Chinese table is checked against.
const std::unordered_map<std::string_view, std::string_view>& englishTable();
const std::unordered_map<std::string_view, std::string_view>& simplifiedChineseTable();

// Link texts drawn with an underline, and the underline widths in points.
enum class UnderlinedLink { registerLink, forgetPassword, privacyPolicy, logIn };
int underlineWidth(UnderlinedLink link, const Localization& localization);

}  // namespace corvane::screenkit
