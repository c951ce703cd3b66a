#pragma once
// Names of the notifications the screens use to reach each other. They are posted with no
// object and no payload, on the main loop.
#include <string_view>

namespace corvane::keys {

inline constexpr std::string_view kLoginSuccess = "LoginSuccess";
inline constexpr std::string_view kLoginFailed = "Loginfailed";
inline constexpr std::string_view kClose = "Close";
inline constexpr std::string_view kConnectFromServer = "ConnectFromServer";
inline constexpr std::string_view kDisconnectFromServer = "disConnectFromServer";
inline constexpr std::string_view kInitialServerSelected = "initialserverselected";

}  // namespace corvane::keys
