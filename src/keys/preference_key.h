#pragma once
// Every preference key the app reads or writes, spelled once, here, as a typed constant: the
// constant carries the stored name and the value type, so Preferences::get and ::set take the
// right type for each key and no caller spells a name. The spellings are the stored names and
// never change: renaming one would lose the value users already have (hence "Shadowshocks",
// with its extra h, and the mixed case).
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

#include "platform/preferences/preference_suite.h"

namespace corvane::keys {

enum class PreferenceType { flag, integer, text };

// A key as the catalogue lists it, without its C++ value type (for `corvanectl defaults`).
struct PreferenceKeyInfo {
  std::string_view key;
  PreferenceType type;
  // Shown masked unless asked for, and never taken from the command line: the password is
  // kept in clear text, and "Config" holds the tunnel's private key or password.
  bool secret = false;
};

// A key whose value reads and writes as `Value`: bool (a flag; absent reads false),
// std::int64_t (absent reads 0) or std::optional<std::string> (absent reads no value, and
// writing no value removes the key).
template <typename Value>
struct PreferenceKey : PreferenceKeyInfo {
  static_assert(std::is_same_v<Value, bool> || std::is_same_v<Value, std::int64_t> ||
                std::is_same_v<Value, std::optional<std::string>>);
  static constexpr PreferenceType kType = std::is_same_v<Value, bool>           ? PreferenceType::flag
                                          : std::is_same_v<Value, std::int64_t> ? PreferenceType::integer
                                                                                : PreferenceType::text;
  constexpr explicit PreferenceKey(std::string_view name, bool isSecret = false)
      : PreferenceKeyInfo{name, kType, isSecret} {}
};

using FlagKey = PreferenceKey<bool>;
using IntegerKey = PreferenceKey<std::int64_t>;
using TextKey = PreferenceKey<std::optional<std::string>>;

inline constexpr bool kSecret = true;

namespace pref {
// Sign-in and account.
inline constexpr FlagKey loggedIn{"loggedIn"};              // whether a user is signed in; the only sign-in state
inline constexpr TextKey username{"username"};              // the account's e-mail or user name as typed
inline constexpr TextKey password{"password", kSecret};     // kept in clear text: every later backend call sends it again
inline constexpr TextKey loginmessage{"loginmessage"};      // the `message` of the last decoded login answer
// Backend endpoint and links, all written from the link table.
inline constexpr TextKey domainLink{"domain_link"};         // host of the API, without scheme or path
inline constexpr TextKey aboutUsLink{"about_us_link"};      // URL of the about page
inline constexpr TextKey getSupportLink{"get_support_link"};  // support URL of the link table
inline constexpr TextKey emailLink{"email_link"};           // support e-mail link
inline constexpr TextKey whatsappLink{"whatsapp_link"};     // messaging-app support link
// Messages and announcements.
inline constexpr TextKey announcementOne{"announcementOne"};  // first announcement text (dashboard)
inline constexpr TextKey announcementTwo{"announcementTwo"};  // second announcement text (login screen)
inline constexpr TextKey anntitle{"anntitle"};              // account notice title
inline constexpr TextKey anntext{"anntext"};                // account notice body
inline constexpr TextKey signupmsg{"signupmsg"};            // the server's message for the last sign-up
inline constexpr TextKey forgetpassmsg{"forgetpassmsg"};    // ... for the last reset-code request
inline constexpr TextKey resetpasswordmsg{"resetpasswordmsg"};  // ... for the last password reset
inline constexpr TextKey otpValue{"OTPValue"};              // a password-reset code, if one was stored
// Tunnel and server selection.
inline constexpr TextKey config{"Config", kSecret};         // configuration text of the chosen server
inline constexpr IntegerKey vpnServerID{"vpnServerID"};     // `vpnServerID` of the chosen server
inline constexpr IntegerKey ipID{"ipID"};                   // `ipID` of the chosen server
inline constexpr TextKey ipName{"ipName"};                  // display name of the chosen server
inline constexpr TextKey countryCode{"countryCode"};        // country code of the chosen server
inline constexpr TextKey countryName{"countryName"};        // country name of the chosen server
inline constexpr FlagKey initialServerSelected{"initialserverselected"};  // a server was chosen once
inline constexpr FlagKey openVPN{"OpenVPN"};                // OpenVPN is the chosen protocol
inline constexpr FlagKey wireGuard{"WireGuard"};            // WireGuard is the chosen protocol
inline constexpr FlagKey shadowshocks{"Shadowshocks"};      // Shadowsocks is the chosen protocol
inline constexpr FlagKey v2ray{"V2ray"};                    // V2ray is the chosen protocol
// code of the chosen protocol: 1 WireGuard, 2 OpenVPN, 3 Shadowsocks, 4 V2ray
inline constexpr IntegerKey selectedTypeProtocol{"selectedTypeProtocol"};
inline constexpr FlagKey initialProtocolSelect{"initialProtocolSelect"};  // default protocol applied once
// last observed tunnel status, one of the words of TunnelStatusText
inline constexpr TextKey vpnStatus{"VPNStatus"};
inline constexpr FlagKey createProfileBackground{"createProfileBackground"};  // profile created once
}  // namespace pref

// The keys of one store, in the order above. The application-group store holds only the
// copies of "username" and "password".
std::span<const PreferenceKeyInfo> preferenceKeys(platform::PreferenceSuite suite);

// The catalogue entry of `key` in `suite`, if the app uses that key there.
std::optional<PreferenceKeyInfo> findPreferenceKey(platform::PreferenceSuite suite,
                                                   std::string_view key);

// "flag", "int", "text": the names `corvanectl defaults` uses.
std::string_view preferenceTypeName(PreferenceType type);
std::optional<PreferenceType> preferenceTypeNamed(std::string_view name);

}  // namespace corvane::keys
