#include "keys/preference_key.h"

namespace corvane::keys {
namespace {

using enum PreferenceType;

// The constants themselves, not their names: a key missing here is caught by the catalogue test.
constexpr PreferenceKeyInfo kStandardKeys[] = {
    pref::loggedIn,        pref::username,
    pref::password,        pref::loginmessage,
    pref::domainLink,      pref::aboutUsLink,
    pref::getSupportLink,  pref::emailLink,
    pref::whatsappLink,    pref::announcementOne,
    pref::announcementTwo, pref::anntitle,
    pref::anntext,         pref::signupmsg,
    pref::forgetpassmsg,   pref::resetpasswordmsg,
    pref::otpValue,        pref::config,
    pref::vpnServerID,     pref::ipID,
    pref::ipName,          pref::countryCode,
    pref::countryName,     pref::initialServerSelected,
    pref::openVPN,         pref::wireGuard,
    pref::shadowshocks,    pref::v2ray,
    pref::selectedTypeProtocol, pref::initialProtocolSelect,
    pref::vpnStatus,       pref::createProfileBackground,
};

constexpr PreferenceKeyInfo kAppGroupKeys[] = {pref::username, pref::password};

}  // namespace

std::span<const PreferenceKeyInfo> preferenceKeys(platform::PreferenceSuite suite) {
  if (suite == platform::PreferenceSuite::appGroup) {
    return kAppGroupKeys;
  }
  return kStandardKeys;
}

std::optional<PreferenceKeyInfo> findPreferenceKey(platform::PreferenceSuite suite,
                                                   std::string_view key) {
  for (const PreferenceKeyInfo& info : preferenceKeys(suite)) {
    if (info.key == key) {
      return info;
    }
  }
  return std::nullopt;
}

std::string_view preferenceTypeName(PreferenceType type) {
  switch (type) {
    case flag:
      return "flag";
    case integer:
      return "int";
    case text:
      return "text";
  }
  return "text";
}

std::optional<PreferenceType> preferenceTypeNamed(std::string_view name) {
  for (PreferenceType type : {flag, integer, text}) {
    if (preferenceTypeName(type) == name) {
      return type;
    }
  }
  return std::nullopt;
}

}  // namespace corvane::keys
