// The key catalogue: every key is stored under its exact name with its type, and a fresh
// installation reads the defaults the screens rely on.
#include "keys/preferences.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "keys/preference_key.h"
#include "platform/preferences/preference_suite.h"
#include "platform/support/scratch_folder.h"

namespace corvane::keys {
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
// and read through the typed key with a value that is not the type's default.
struct KeyRow {
  std::string_view stored;
  PreferenceValue written;
  std::function<void(Preferences&)> write;
  std::function<PreferenceValue(const Preferences&)> read;
};

KeyRow text(std::string_view stored, const TextKey& key) {
  const std::string value = "value of " + std::string(stored);
  return {stored, value, [=](Preferences& p) { p.set(key, value); },
          [=](const Preferences& p) { return PreferenceValue(p.get(key).value_or("<none>")); }};
}
KeyRow flag(std::string_view stored, const FlagKey& key) {
  return {stored, true, [=](Preferences& p) { p.set(key, true); },
          [=](const Preferences& p) { return PreferenceValue(p.get(key)); }};
}
KeyRow integer(std::string_view stored, const IntegerKey& key, std::int64_t value) {
  return {stored, value, [=](Preferences& p) { p.set(key, value); },
          [=](const Preferences& p) { return PreferenceValue(p.get(key)); }};
}

std::vector<KeyRow> everyKey() {
  return {
      flag("loggedIn", pref::loggedIn),
      text("username", pref::username),
      text("password", pref::password),
      text("loginmessage", pref::loginmessage),
      text("domain_link", pref::domainLink),
      text("about_us_link", pref::aboutUsLink),
      text("get_support_link", pref::getSupportLink),
      text("email_link", pref::emailLink),
      text("whatsapp_link", pref::whatsappLink),
      text("announcementOne", pref::announcementOne),
      text("announcementTwo", pref::announcementTwo),
      text("anntitle", pref::anntitle),
      text("anntext", pref::anntext),
      text("signupmsg", pref::signupmsg),
      text("forgetpassmsg", pref::forgetpassmsg),
      text("resetpasswordmsg", pref::resetpasswordmsg),
      text("OTPValue", pref::otpValue),
      text("Config", pref::config),
      integer("vpnServerID", pref::vpnServerID, 4021),
      integer("ipID", pref::ipID, -9),
      text("ipName", pref::ipName),
      text("countryCode", pref::countryCode),
      text("countryName", pref::countryName),
      flag("initialserverselected", pref::initialServerSelected),
      flag("OpenVPN", pref::openVPN),
      flag("WireGuard", pref::wireGuard),
      flag("Shadowshocks", pref::shadowshocks),
      flag("V2ray", pref::v2ray),
      integer("selectedTypeProtocol", pref::selectedTypeProtocol, 3),
      flag("initialProtocolSelect", pref::initialProtocolSelect),
      text("VPNStatus", pref::vpnStatus),
      flag("createProfileBackground", pref::createProfileBackground),
  };
}

PreferenceType typeOf(const PreferenceValue& value) {
  return std::holds_alternative<bool>(value)           ? PreferenceType::flag
         : std::holds_alternative<std::int64_t>(value) ? PreferenceType::integer
                                                       : PreferenceType::text;
}

TEST(Preferences, EveryKeyIsStoredUnderTheExactNameWithItsType) {
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
  EXPECT_EQ(stores.standard->allEntries().size(), rows.size()) << "no two constants share a key";
  EXPECT_EQ(preferenceKeys(PreferenceSuite::standard).size(), rows.size())
      << "the catalogue lists every constant once";
  EXPECT_TRUE(stores.group->allEntries().empty());
}

TEST(Preferences, TheShadowsocksFlagKeepsItsStoredSpelling) {
  Stores stores;
  Preferences preferences(*stores.standard);
  preferences.set(pref::shadowshocks, true);
  EXPECT_TRUE(stores.standard->boolForKey("Shadowshocks"));
  EXPECT_EQ(stores.standard->objectForKey("Shadowsocks"), std::nullopt);
}

TEST(Preferences, AFreshInstallationReadsTheDefaults) {
  Stores stores;
  const Preferences preferences(*stores.standard);
  EXPECT_FALSE(preferences.get(pref::loggedIn)) << "so the start-up gate shows the login screen";
  EXPECT_EQ(preferences.get(pref::username), std::nullopt);
  EXPECT_EQ(preferences.get(pref::password), std::nullopt);
  EXPECT_EQ(preferences.get(pref::domainLink), std::nullopt);
  EXPECT_EQ(preferences.get(pref::config), std::nullopt);
  EXPECT_EQ(preferences.get(pref::vpnStatus), std::nullopt);
  EXPECT_EQ(preferences.get(pref::vpnServerID), 0);
  EXPECT_EQ(preferences.get(pref::selectedTypeProtocol), 0);
  EXPECT_FALSE(preferences.get(pref::initialServerSelected));
  EXPECT_FALSE(preferences.get(pref::openVPN) || preferences.get(pref::wireGuard) || preferences.get(pref::shadowshocks) ||
               preferences.get(pref::v2ray));
  EXPECT_TRUE(stores.standard->allEntries().empty()) << "reading writes nothing";
}

TEST(Preferences, ATextSetToNoValueIsRemovedAndOtherKeysStay) {
  Stores stores;
  Preferences preferences(*stores.standard);
  preferences.set(pref::whatsappLink, "https://wa.example/1");
  preferences.set(pref::username, "ana@example.org");
  preferences.set(pref::whatsappLink, std::nullopt);
  EXPECT_EQ(stores.standard->objectForKey("whatsapp_link"), std::nullopt);
  EXPECT_EQ(preferences.get(pref::username), "ana@example.org");
}

TEST(AppGroupPreferences, CredentialCopiesGoToTheGroupStoreOnly) {
  Stores stores;
  Preferences group(*stores.group);
  group.set(pref::username, "ana@example.org");
  group.set(pref::password, "s3cret");
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
}  // namespace corvane::keys

namespace corvane::keys {
namespace {

// Counts the writes that reach a store, over a real one.
class CountingStore final : public platform::PreferenceStore {
 public:
  explicit CountingStore(platform::PreferenceStore& inner) : inner_(inner) {}
  int writes = 0;
  bool boolForKey(std::string_view k) const override { return inner_.boolForKey(k); }
  std::int64_t integerForKey(std::string_view k) const override { return inner_.integerForKey(k); }
  std::optional<std::string> stringForKey(std::string_view k) const override { return inner_.stringForKey(k); }
  std::optional<PreferenceValue> objectForKey(std::string_view k) const override { return inner_.objectForKey(k); }
  void setBool(std::string_view k, bool v) override { ++writes; inner_.setBool(k, v); }
  void setInteger(std::string_view k, std::int64_t v) override { ++writes; inner_.setInteger(k, v); }
  void setString(std::string_view k, std::optional<std::string> v) override { ++writes; inner_.setString(k, std::move(v)); }
  void removeObject(std::string_view k) override { ++writes; inner_.removeObject(k); }
  std::vector<std::pair<std::string, PreferenceValue>> allEntries() const override { return inner_.allEntries(); }

 private:
  platform::PreferenceStore& inner_;
};

// setIfChanged skips the durable commit when the stored text already is the value.
TEST(Preferences, SetIfChangedWritesOnlyADifferentValue) {
  struct Case {
    std::optional<std::string> before;
    std::optional<std::string> value;
    bool writes;
  };
  const Case cases[] = {
      {std::nullopt, std::nullopt, false},
      {std::nullopt, "a", true},
      {"a", "a", false},
      {"a", "b", true},
      {"a", std::nullopt, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.before.value_or("<none>") + " -> " + c.value.value_or("<none>"));
    Stores stores;
    if (c.before) stores.standard->setString("loginmessage", c.before);
    CountingStore counting(*stores.standard);
    Preferences preferences(counting);
    preferences.setIfChanged(pref::loginmessage, c.value);
    EXPECT_EQ(preferences.get(pref::loginmessage), c.value);
    EXPECT_EQ(counting.writes, c.writes ? 1 : 0);
  }
}

TEST(Preferences, AnIntegerStoredUnderATextKeyReadsAsNoValueAndIsReplaced) {
  Stores stores;
  stores.standard->setInteger("loginmessage", 5);
  CountingStore counting(*stores.standard);
  Preferences preferences(counting);
  preferences.setIfChanged(pref::loginmessage, "5");
  EXPECT_EQ(counting.writes, 1);
  EXPECT_EQ(stores.standard->objectForKey("loginmessage"), PreferenceValue(std::string("5")));
}

}  // namespace
}  // namespace corvane::keys
