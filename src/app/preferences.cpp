#include "app/preferences.h"

#include <utility>

#include "app/preference_key.h"

namespace corvane::app {

bool Preferences::loggedIn() const { return store_.boolForKey(PreferenceKey::loggedIn); }
void Preferences::setLoggedIn(bool value) { store_.setBool(PreferenceKey::loggedIn, value); }

std::optional<std::string> Preferences::username() const {
  return store_.stringForKey(PreferenceKey::username);
}
void Preferences::setUsername(std::optional<std::string> value) {
  store_.setString(PreferenceKey::username, std::move(value));
}

std::optional<std::string> Preferences::password() const {
  return store_.stringForKey(PreferenceKey::password);
}
void Preferences::setPassword(std::optional<std::string> value) {
  store_.setString(PreferenceKey::password, std::move(value));
}

std::optional<std::string> Preferences::loginmessage() const {
  return store_.stringForKey(PreferenceKey::loginmessage);
}
void Preferences::setLoginmessage(std::optional<std::string> value) {
  store_.setString(PreferenceKey::loginmessage, std::move(value));
}

std::optional<std::string> Preferences::domainLink() const {
  return store_.stringForKey(PreferenceKey::domainLink);
}
void Preferences::setDomainLink(std::optional<std::string> value) {
  store_.setString(PreferenceKey::domainLink, std::move(value));
}

std::optional<std::string> Preferences::aboutUsLink() const {
  return store_.stringForKey(PreferenceKey::aboutUsLink);
}
void Preferences::setAboutUsLink(std::optional<std::string> value) {
  store_.setString(PreferenceKey::aboutUsLink, std::move(value));
}

std::optional<std::string> Preferences::getSupportLink() const {
  return store_.stringForKey(PreferenceKey::getSupportLink);
}
void Preferences::setGetSupportLink(std::optional<std::string> value) {
  store_.setString(PreferenceKey::getSupportLink, std::move(value));
}

std::optional<std::string> Preferences::emailLink() const {
  return store_.stringForKey(PreferenceKey::emailLink);
}
void Preferences::setEmailLink(std::optional<std::string> value) {
  store_.setString(PreferenceKey::emailLink, std::move(value));
}

std::optional<std::string> Preferences::whatsappLink() const {
  return store_.stringForKey(PreferenceKey::whatsappLink);
}
void Preferences::setWhatsappLink(std::optional<std::string> value) {
  store_.setString(PreferenceKey::whatsappLink, std::move(value));
}

std::optional<std::string> Preferences::announcementOne() const {
  return store_.stringForKey(PreferenceKey::announcementOne);
}
void Preferences::setAnnouncementOne(std::optional<std::string> value) {
  store_.setString(PreferenceKey::announcementOne, std::move(value));
}

std::optional<std::string> Preferences::announcementTwo() const {
  return store_.stringForKey(PreferenceKey::announcementTwo);
}
void Preferences::setAnnouncementTwo(std::optional<std::string> value) {
  store_.setString(PreferenceKey::announcementTwo, std::move(value));
}

std::optional<std::string> Preferences::anntitle() const {
  return store_.stringForKey(PreferenceKey::anntitle);
}
void Preferences::setAnntitle(std::optional<std::string> value) {
  store_.setString(PreferenceKey::anntitle, std::move(value));
}

std::optional<std::string> Preferences::anntext() const {
  return store_.stringForKey(PreferenceKey::anntext);
}
void Preferences::setAnntext(std::optional<std::string> value) {
  store_.setString(PreferenceKey::anntext, std::move(value));
}

std::optional<std::string> Preferences::signupmsg() const {
  return store_.stringForKey(PreferenceKey::signupmsg);
}
void Preferences::setSignupmsg(std::optional<std::string> value) {
  store_.setString(PreferenceKey::signupmsg, std::move(value));
}

std::optional<std::string> Preferences::forgetpassmsg() const {
  return store_.stringForKey(PreferenceKey::forgetpassmsg);
}
void Preferences::setForgetpassmsg(std::optional<std::string> value) {
  store_.setString(PreferenceKey::forgetpassmsg, std::move(value));
}

std::optional<std::string> Preferences::resetpasswordmsg() const {
  return store_.stringForKey(PreferenceKey::resetpasswordmsg);
}
void Preferences::setResetpasswordmsg(std::optional<std::string> value) {
  store_.setString(PreferenceKey::resetpasswordmsg, std::move(value));
}

std::optional<std::string> Preferences::otpValue() const {
  return store_.stringForKey(PreferenceKey::otpValue);
}
void Preferences::setOtpValue(std::optional<std::string> value) {
  store_.setString(PreferenceKey::otpValue, std::move(value));
}

std::optional<std::string> Preferences::config() const {
  return store_.stringForKey(PreferenceKey::config);
}
void Preferences::setConfig(std::optional<std::string> value) {
  store_.setString(PreferenceKey::config, std::move(value));
}

std::int64_t Preferences::vpnServerID() const {
  return store_.integerForKey(PreferenceKey::vpnServerID);
}
void Preferences::setVpnServerID(std::int64_t value) {
  store_.setInteger(PreferenceKey::vpnServerID, value);
}

std::int64_t Preferences::ipID() const { return store_.integerForKey(PreferenceKey::ipID); }
void Preferences::setIpID(std::int64_t value) { store_.setInteger(PreferenceKey::ipID, value); }

std::optional<std::string> Preferences::ipName() const {
  return store_.stringForKey(PreferenceKey::ipName);
}
void Preferences::setIpName(std::optional<std::string> value) {
  store_.setString(PreferenceKey::ipName, std::move(value));
}

std::optional<std::string> Preferences::countryCode() const {
  return store_.stringForKey(PreferenceKey::countryCode);
}
void Preferences::setCountryCode(std::optional<std::string> value) {
  store_.setString(PreferenceKey::countryCode, std::move(value));
}

std::optional<std::string> Preferences::countryName() const {
  return store_.stringForKey(PreferenceKey::countryName);
}
void Preferences::setCountryName(std::optional<std::string> value) {
  store_.setString(PreferenceKey::countryName, std::move(value));
}

bool Preferences::initialServerSelected() const {
  return store_.boolForKey(PreferenceKey::initialServerSelected);
}
void Preferences::setInitialServerSelected(bool value) {
  store_.setBool(PreferenceKey::initialServerSelected, value);
}

bool Preferences::openVPN() const { return store_.boolForKey(PreferenceKey::openVPN); }
void Preferences::setOpenVPN(bool value) { store_.setBool(PreferenceKey::openVPN, value); }

bool Preferences::wireGuard() const { return store_.boolForKey(PreferenceKey::wireGuard); }
void Preferences::setWireGuard(bool value) { store_.setBool(PreferenceKey::wireGuard, value); }

bool Preferences::shadowshocks() const { return store_.boolForKey(PreferenceKey::shadowshocks); }
void Preferences::setShadowshocks(bool value) {
  store_.setBool(PreferenceKey::shadowshocks, value);
}

bool Preferences::v2ray() const { return store_.boolForKey(PreferenceKey::v2ray); }
void Preferences::setV2ray(bool value) { store_.setBool(PreferenceKey::v2ray, value); }

std::int64_t Preferences::selectedTypeProtocol() const {
  return store_.integerForKey(PreferenceKey::selectedTypeProtocol);
}
void Preferences::setSelectedTypeProtocol(std::int64_t value) {
  store_.setInteger(PreferenceKey::selectedTypeProtocol, value);
}

bool Preferences::initialProtocolSelect() const {
  return store_.boolForKey(PreferenceKey::initialProtocolSelect);
}
void Preferences::setInitialProtocolSelect(bool value) {
  store_.setBool(PreferenceKey::initialProtocolSelect, value);
}

std::optional<std::string> Preferences::vpnStatus() const {
  return store_.stringForKey(PreferenceKey::vpnStatus);
}
void Preferences::setVpnStatus(std::optional<std::string> value) {
  store_.setString(PreferenceKey::vpnStatus, std::move(value));
}

bool Preferences::createProfileBackground() const {
  return store_.boolForKey(PreferenceKey::createProfileBackground);
}
void Preferences::setCreateProfileBackground(bool value) {
  store_.setBool(PreferenceKey::createProfileBackground, value);
}

}  // namespace corvane::app
