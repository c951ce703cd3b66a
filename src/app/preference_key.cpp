#include "app/preference_key.h"

namespace corvane::app {
namespace {

using enum PreferenceType;
namespace K = PreferenceKey;

constexpr PreferenceKeyInfo kStandardKeys[] = {
    {K::loggedIn, flag},
    {K::username, text},
    {K::password, text, true},
    {K::loginmessage, text},
    {K::domainLink, text},
    {K::aboutUsLink, text},
    {K::getSupportLink, text},
    {K::emailLink, text},
    {K::whatsappLink, text},
    {K::announcementOne, text},
    {K::announcementTwo, text},
    {K::anntitle, text},
    {K::anntext, text},
    {K::signupmsg, text},
    {K::forgetpassmsg, text},
    {K::resetpasswordmsg, text},
    {K::otpValue, text},
    {K::config, text, true},
    {K::vpnServerID, integer},
    {K::ipID, integer},
    {K::ipName, text},
    {K::countryCode, text},
    {K::countryName, text},
    {K::initialServerSelected, flag},
    {K::openVPN, flag},
    {K::wireGuard, flag},
    {K::shadowshocks, flag},
    {K::v2ray, flag},
    {K::selectedTypeProtocol, integer},
    {K::initialProtocolSelect, flag},
    {K::vpnStatus, text},
    {K::createProfileBackground, flag},
};

constexpr PreferenceKeyInfo kAppGroupKeys[] = {
    {K::username, text},
    {K::password, text, true},
};

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

}  // namespace corvane::app
