#include "screenkit/localization.h"

#include <gtest/gtest.h>

namespace corvane::screenkit {
namespace {

TEST(Localization, ChineseTableCoversEveryVisibleText) {
  for (const auto& [english, same] : englishTable()) {
    EXPECT_EQ(english, same);
    EXPECT_TRUE(simplifiedChineseTable().contains(english)) << "no translation: " << english;
  }
  for (const auto& [english, chinese] : simplifiedChineseTable()) {
    EXPECT_TRUE(englishTable().contains(english)) << "not a screen text: " << english;
  }
}

TEST(Localization, PicksTableByLocaleAndFallsBackToEnglish) {
  struct Case {
    const char* locale;
    std::string_view key;
    std::string_view shown;
  };
  const Case cases[] = {
      {"zh_CN", "Log In", "登录"},
      {"zh-Hans", "Server Error", "服务器错误"},
      {"zh_TW", "Oops!", "出错了！"},
      {"en_US", "Log In", "Log In"},
      {"de_DE", "Server Error", "Server Error"},
      {"C", "Password", "Password"},
      // Not in any table: shown in English, unchanged.
      {"zh_CN", "Something new", "Something new"},
      {"en", "", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Localization(c.locale).text(c.key), c.shown) << c.locale << " " << c.key;
  }
}

TEST(Localization, UnderlinesAreNarrowerForChinese) {
  struct Case {
    UnderlinedLink link;
    int chinese;
    int other;
  };
  const Case cases[] = {{UnderlinedLink::registerLink, 33, 63},
                        {UnderlinedLink::forgetPassword, 60, 130},
                        {UnderlinedLink::privacyPolicy, 77, 119},
                        {UnderlinedLink::logIn, 40, 60}};
  for (const Case& c : cases) {
    EXPECT_EQ(underlineWidth(c.link, Localization("zh_CN")), c.chinese);
    EXPECT_EQ(underlineWidth(c.link, Localization("zh-Hant_HK")), c.chinese);
    EXPECT_EQ(underlineWidth(c.link, Localization("en_GB")), c.other);
    // Only the identifier's start counts.
    EXPECT_EQ(underlineWidth(c.link, Localization("en_zh")), c.other);
  }
}

TEST(Localization, ReadsTheLocaleFromTheEnvironment) {
  ::setenv("LC_ALL", "zh_CN.UTF-8", 1);
  EXPECT_EQ(Localization::fromEnvironment().localeIdentifier(), "zh_CN");
  EXPECT_TRUE(Localization::fromEnvironment().isChinese());
  ::setenv("LC_ALL", "de_DE@euro", 1);
  EXPECT_EQ(Localization::fromEnvironment().localeIdentifier(), "de_DE");
  ::unsetenv("LC_ALL");
}

}  // namespace
}  // namespace corvane::screenkit
