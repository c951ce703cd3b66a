// The key catalogue: every key is stored under its exact name with its type, and a fresh
// installation reads the defaults the screens rely on.
#include "app/preferences.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "app/app_group_preferences.h"
#include "app/preference_key.h"
#include "platform/preferences/preference_suite.h"
#include "platform/support/scratch_folder.h"

namespace corvane::app {
namespace {

using platform::PreferenceSuite;
using platform::PreferenceValue;

struct Stores {
  testing::ScratchFolder home;
  platform::Paths paths = platform::Paths::underHome(home.path());
  std::unique_ptr<platform::SqlitePreferenceStore> standard =
      platform::openPreferenceStore(paths, PreferenceSuite::standard, platform::Log::null())
          .value();
  std::unique_ptr<platform::SqlitePreferenceStore> group =
      platform::openPreferenceStore(paths, PreferenceSuite::appGroup, platform::Log::null())
          .value();
};

// One row per key: the stored name, spelled here independently of the catalogue, and a write
// and read through the typed accessor with a value that is not the type's default.
struct KeyRow {
  std::string_view stored;
  PreferenceValue written;
  std::function<void(Preferences&)> write;
  std::function<PreferenceValue(const Preferences&)> read;
};

template <typename Get, typename Set>
KeyRow text(std::string_view stored, Get get, Set set) {
  const std::string value = "value of " + std::string(stored);
  return {stored, value, [=](Preferences& p) { (p.*set)(value); },
          [=](const Preferences& p) { return PreferenceValue((p.*get)().value_or("<none>")); }};
}
template <typename Get, typename Set>
KeyRow flag(std::string_view stored, Get get, Set set) {
  return {stored, true, [=](Preferences& p) { (p.*set)(true); },
          [=](const Preferences& p) { return PreferenceValue((p.*get)()); }};
}
template <typename Get, typename Set>
KeyRow integer(std::string_view stored, Get get, Set set, std::int64_t value) {
  return {stored, value, [=](Preferences& p) { (p.*set)(value); },
          [=](const Preferences& p) { return PreferenceValue((p.*get)()); }};
}

std::vector<KeyRow> everyKey() {
  using P = Preferences;
  return {
      flag("loggedIn", &P::loggedIn, &P::setLoggedIn),
      text("username", &P::username, &P::setUsername),
      text("password", &P::password, &P::setPassword),
      text("loginmessage", &P::loginmessage, &P::setLoginmessage),
      text("domain_link", &P::domainLink, &P::setDomainLink),
      text("about_us_link", &P::aboutUsLink, &P::setAboutUsLink),
      text("get_support_link", &P::getSupportLink, &P::setGetSupportLink),
      text("email_link", &P::emailLink, &P::setEmailLink),
      text("whatsapp_link", &P::whatsappLink, &P::setWhatsappLink),
      text("announcementOne", &P::announcementOne, &P::setAnnouncementOne),
      text("announcementTwo", &P::announcementTwo, &P::setAnnouncementTwo),
      text("anntitle", &P::anntitle, &P::setAnntitle),
      text("anntext", &P::anntext, &P::setAnntext),
      text("signupmsg", &P::signupmsg, &P::setSignupmsg),
      text("forgetpassmsg", &P::forgetpassmsg, &P::setForgetpassmsg),
      text("resetpasswordmsg", &P::resetpasswordmsg, &P::setResetpasswordmsg),
      text("OTPValue", &P::otpValue, &P::setOtpValue),
      text("Config", &P::config, &P::setConfig),
      integer("vpnServerID", &P::vpnServerID, &P::setVpnServerID, 4021),
      integer("ipID", &P::ipID, &P::setIpID, -9),
      text("ipName", &P::ipName, &P::setIpName),
      text("countryCode", &P::countryCode, &P::setCountryCode),
      text("countryName", &P::countryName, &P::setCountryName),
      flag("initialserverselected", &P::initialServerSelected, &P::setInitialServerSelected),
      flag("OpenVPN", &P::openVPN, &P::setOpenVPN),
      flag("WireGuard", &P::wireGuard, &P::setWireGuard),
      flag("Shadowshocks", &P::shadowshocks, &P::setShadowshocks),
      flag("V2ray", &P::v2ray, &P::setV2ray),
      integer("selectedTypeProtocol", &P::selectedTypeProtocol, &P::setSelectedTypeProtocol, 3),
      flag("initialProtocolSelect", &P::initialProtocolSelect, &P::setInitialProtocolSelect),
      text("VPNStatus", &P::vpnStatus, &P::setVpnStatus),
      flag("createProfileBackground", &P::createProfileBackground, &P::setCreateProfileBackground),
  };
}

PreferenceType typeOf(const PreferenceValue& value) {
  return std::holds_alternative<bool>(value)           ? PreferenceType::flag
         : std::holds_alternative<std::int64_t>(value) ? PreferenceType::integer
                                                       : PreferenceType::text;
}

TEST(Preferences, EveryAccessorStoresItsKeyUnderTheExactNameWithItsType) {
  Stores stores;
  Preferences preferences(*stores.standard);
  const auto rows = everyKey();
  for (const KeyRow& row : rows) {
    SCOPED_TRACE(std::string(row.stored));
    row.write(preferences);
    EXPECT_EQ(stores.standard->objectForKey(row.stored), row.written);
    EXPECT_EQ(row.read(preferences), row.written);
    const auto info = findPreferenceKey(PreferenceSuite::standard, row.stored);
    ASSERT_TRUE(info) << "missing from the catalogue";
    EXPECT_EQ(info->type, typeOf(row.written));
  }
  EXPECT_EQ(stores.standard->allEntries().size(), rows.size()) << "no two accessors share a key";
  EXPECT_EQ(preferenceKeys(PreferenceSuite::standard).size(), rows.size())
      << "the catalogue lists no key without an accessor";
  EXPECT_TRUE(stores.group->allEntries().empty());
}

TEST(Preferences, TheShadowsocksFlagKeepsItsStoredSpelling) {
  Stores stores;
  Preferences preferences(*stores.standard);
  preferences.setShadowshocks(true);
  EXPECT_TRUE(stores.standard->boolForKey("Shadowshocks"));
  EXPECT_EQ(stores.standard->objectForKey("Shadowsocks"), std::nullopt);
}

TEST(Preferences, AFreshInstallationReadsTheDefaults) {
  Stores stores;
  const Preferences preferences(*stores.standard);
  EXPECT_FALSE(preferences.loggedIn()) << "so the start-up gate shows the login screen";
  EXPECT_EQ(preferences.username(), std::nullopt);
  EXPECT_EQ(preferences.password(), std::nullopt);
  EXPECT_EQ(preferences.domainLink(), std::nullopt);
  EXPECT_EQ(preferences.config(), std::nullopt);
  EXPECT_EQ(preferences.vpnStatus(), std::nullopt);
  EXPECT_EQ(preferences.vpnServerID(), 0);
  EXPECT_EQ(preferences.selectedTypeProtocol(), 0);
  EXPECT_FALSE(preferences.initialServerSelected());
  EXPECT_FALSE(preferences.openVPN() || preferences.wireGuard() || preferences.shadowshocks() ||
               preferences.v2ray());
  EXPECT_TRUE(stores.standard->allEntries().empty()) << "reading writes nothing";
}

TEST(Preferences, ATextSetToNoValueIsRemovedAndOtherKeysStay) {
  Stores stores;
  Preferences preferences(*stores.standard);
  preferences.setWhatsappLink("https://wa.example/1");
  preferences.setUsername("ana@example.org");
  preferences.setWhatsappLink(std::nullopt);
  EXPECT_EQ(stores.standard->objectForKey("whatsapp_link"), std::nullopt);
  EXPECT_EQ(preferences.username(), "ana@example.org");
}

TEST(AppGroupPreferences, CredentialCopiesGoToTheGroupStoreOnly) {
  Stores stores;
  AppGroupPreferences group(*stores.group);
  group.setUsername("ana@example.org");
  group.setPassword("s3cret");
  EXPECT_EQ(stores.group->objectForKey("username"),
            PreferenceValue(std::string("ana@example.org")));
  EXPECT_EQ(stores.group->objectForKey("password"), PreferenceValue(std::string("s3cret")));
  EXPECT_TRUE(stores.standard->allEntries().empty());
  ASSERT_EQ(preferenceKeys(PreferenceSuite::appGroup).size(), 2u);
  EXPECT_TRUE(findPreferenceKey(PreferenceSuite::appGroup, "password")->secret);
  EXPECT_FALSE(findPreferenceKey(PreferenceSuite::appGroup, "loggedIn"));
}

TEST(PreferenceKeyCatalogue, TypeNamesRoundTripAndOnlyCredentialsAreSecret) {
  for (PreferenceType type :
       {PreferenceType::flag, PreferenceType::integer, PreferenceType::text}) {
    EXPECT_EQ(preferenceTypeNamed(preferenceTypeName(type)), type);
  }
  EXPECT_EQ(preferenceTypeNamed("string"), std::nullopt);
  std::set<std::string_view> secrets;
  for (const auto& info : preferenceKeys(PreferenceSuite::standard)) {
    if (info.secret) {
      secrets.insert(info.key);
    }
  }
  EXPECT_EQ(secrets, (std::set<std::string_view>{"password", "Config"}));
}

}  // namespace
}  // namespace corvane::app
