#pragma once
// Every preference key the app reads or writes, spelled once, here. The spellings are the
// stored names and never change: renaming one would lose the value users already have (hence
// "Shadowshocks", with its extra h, and the mixed case).
#include <optional>
#include <span>
#include <string_view>

#include "platform/preferences/preference_suite.h"

namespace corvane::app {

namespace PreferenceKey {
// Sign-in and account.
inline constexpr std::string_view loggedIn = "loggedIn";
inline constexpr std::string_view username = "username";
inline constexpr std::string_view password = "password";
inline constexpr std::string_view loginmessage = "loginmessage";
// Backend endpoint and links, from the link table.
inline constexpr std::string_view domainLink = "domain_link";
inline constexpr std::string_view aboutUsLink = "about_us_link";
inline constexpr std::string_view getSupportLink = "get_support_link";
inline constexpr std::string_view emailLink = "email_link";
inline constexpr std::string_view whatsappLink = "whatsapp_link";
// Messages and announcements.
inline constexpr std::string_view announcementOne = "announcementOne";
inline constexpr std::string_view announcementTwo = "announcementTwo";
inline constexpr std::string_view anntitle = "anntitle";
inline constexpr std::string_view anntext = "anntext";
inline constexpr std::string_view signupmsg = "signupmsg";
inline constexpr std::string_view forgetpassmsg = "forgetpassmsg";
inline constexpr std::string_view resetpasswordmsg = "resetpasswordmsg";
inline constexpr std::string_view otpValue = "OTPValue";
// Tunnel and server selection.
inline constexpr std::string_view config = "Config";
inline constexpr std::string_view vpnServerID = "vpnServerID";
inline constexpr std::string_view ipID = "ipID";
inline constexpr std::string_view ipName = "ipName";
inline constexpr std::string_view countryCode = "countryCode";
inline constexpr std::string_view countryName = "countryName";
inline constexpr std::string_view initialServerSelected = "initialserverselected";
inline constexpr std::string_view openVPN = "OpenVPN";
inline constexpr std::string_view wireGuard = "WireGuard";
inline constexpr std::string_view shadowshocks = "Shadowshocks";
inline constexpr std::string_view v2ray = "V2ray";
inline constexpr std::string_view selectedTypeProtocol = "selectedTypeProtocol";
inline constexpr std::string_view initialProtocolSelect = "initialProtocolSelect";
inline constexpr std::string_view vpnStatus = "VPNStatus";
inline constexpr std::string_view createProfileBackground = "createProfileBackground";
}  // namespace PreferenceKey

enum class PreferenceType { flag, integer, text };

struct PreferenceKeyInfo {
  std::string_view key;
  PreferenceType type;
  // Shown masked unless asked for, and never taken from the command line: the password is
  // kept in clear text, and "Config" holds the tunnel's private key or password.
  bool secret = false;
};

// The keys of one store, in the order above. The application-group store holds only the
// copies of "username" and "password".
std::span<const PreferenceKeyInfo> preferenceKeys(platform::PreferenceSuite suite);

// The catalogue entry of `key` in `suite`, if the app uses that key there.
std::optional<PreferenceKeyInfo> findPreferenceKey(platform::PreferenceSuite suite,
                                                   std::string_view key);

// "flag", "int", "text": the names `corvanectl defaults` uses.
std::string_view preferenceTypeName(PreferenceType type);
std::optional<PreferenceType> preferenceTypeNamed(std::string_view name);

}  // namespace corvane::app
