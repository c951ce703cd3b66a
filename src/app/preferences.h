#pragma once
// The app's preferences, one typed accessor per key of the catalogue (preference_key.h), so no
// caller spells a key. Read rules are the store's: an absent flag reads false, an absent
// integer 0, an absent text as no value; setting a text to no value removes the key.
//
// A thin view over a PreferenceStore it does not own; as safe from any thread as the store.
#include <cstdint>
#include <optional>
#include <string>

#include "platform/preferences/preference_store.h"

namespace corvane::app {

class Preferences {
 public:
  explicit Preferences(platform::PreferenceStore& store) : store_(store) {}

  platform::PreferenceStore& store() const { return store_; }

  // Sign-in and account.
  // whether a user is signed in; the only sign-in state
  bool loggedIn() const;
  void setLoggedIn(bool value);
  // the account's e-mail or user name as typed
  std::optional<std::string> username() const;
  void setUsername(std::optional<std::string> value);
  // the account password, kept in clear text: every later backend call sends it again
  std::optional<std::string> password() const;
  void setPassword(std::optional<std::string> value);
  // the `message` of the last decoded login answer
  std::optional<std::string> loginmessage() const;
  void setLoginmessage(std::optional<std::string> value);

  // Backend endpoint and links, all written from the link table.
  // host of the API, without scheme or path
  std::optional<std::string> domainLink() const;
  void setDomainLink(std::optional<std::string> value);
  // URL of the about page
  std::optional<std::string> aboutUsLink() const;
  void setAboutUsLink(std::optional<std::string> value);
  // support URL of the link table
  std::optional<std::string> getSupportLink() const;
  void setGetSupportLink(std::optional<std::string> value);
  // support e-mail link
  std::optional<std::string> emailLink() const;
  void setEmailLink(std::optional<std::string> value);
  // messaging-app support link
  std::optional<std::string> whatsappLink() const;
  void setWhatsappLink(std::optional<std::string> value);

  // Messages and announcements.
  // first announcement text (dashboard)
  std::optional<std::string> announcementOne() const;
  void setAnnouncementOne(std::optional<std::string> value);
  // second announcement text (login screen)
  std::optional<std::string> announcementTwo() const;
  void setAnnouncementTwo(std::optional<std::string> value);
  // account notice title
  std::optional<std::string> anntitle() const;
  void setAnntitle(std::optional<std::string> value);
  // account notice body
  std::optional<std::string> anntext() const;
  void setAnntext(std::optional<std::string> value);
  // the server's message for the last sign-up
  std::optional<std::string> signupmsg() const;
  void setSignupmsg(std::optional<std::string> value);
  // the server's message for the last reset-code request
  std::optional<std::string> forgetpassmsg() const;
  void setForgetpassmsg(std::optional<std::string> value);
  // the server's message for the last password reset
  std::optional<std::string> resetpasswordmsg() const;
  void setResetpasswordmsg(std::optional<std::string> value);
  // a password-reset code, if one was stored
  std::optional<std::string> otpValue() const;
  void setOtpValue(std::optional<std::string> value);

  // Tunnel and server selection.
  // configuration text of the chosen server
  std::optional<std::string> config() const;
  void setConfig(std::optional<std::string> value);
  // `vpnServerID` of the chosen server
  std::int64_t vpnServerID() const;
  void setVpnServerID(std::int64_t value);
  // `ipID` of the chosen server
  std::int64_t ipID() const;
  void setIpID(std::int64_t value);
  // display name of the chosen server
  std::optional<std::string> ipName() const;
  void setIpName(std::optional<std::string> value);
  // country code of the chosen server
  std::optional<std::string> countryCode() const;
  void setCountryCode(std::optional<std::string> value);
  // country name of the chosen server
  std::optional<std::string> countryName() const;
  void setCountryName(std::optional<std::string> value);
  // a server has been chosen at least once
  bool initialServerSelected() const;
  void setInitialServerSelected(bool value);
  // OpenVPN is the chosen protocol
  bool openVPN() const;
  void setOpenVPN(bool value);
  // WireGuard is the chosen protocol
  bool wireGuard() const;
  void setWireGuard(bool value);
  // Shadowsocks is the chosen protocol (stored as "Shadowshocks")
  bool shadowshocks() const;
  void setShadowshocks(bool value);
  // V2ray is the chosen protocol
  bool v2ray() const;
  void setV2ray(bool value);
  // code of the chosen protocol: 1 WireGuard, 2 OpenVPN, 3 Shadowsocks, 4 V2ray
  std::int64_t selectedTypeProtocol() const;
  void setSelectedTypeProtocol(std::int64_t value);
  // the default protocol has been applied once
  bool initialProtocolSelect() const;
  void setInitialProtocolSelect(bool value);
  // last observed tunnel status: "Connected", "Connecting", "Disconnecting", "Disconnected"
  std::optional<std::string> vpnStatus() const;
  void setVpnStatus(std::optional<std::string> value);
  // the tunnel profile has been created in the background once
  bool createProfileBackground() const;
  void setCreateProfileBackground(bool value);

 private:
  platform::PreferenceStore& store_;
};

}  // namespace corvane::app
