// The shipped translation tables. kEnglish is the inventory of every visible text of the
// screens, and kChinese must cover it (the tests check). Keys are the English texts exactly
// as the screens show them, line breaks and odd spellings included ("Shadowshocks").
#include <utility>

#include "screenkit/localization.h"

namespace corvane::screenkit {

namespace {

constexpr std::string_view kEnglish[] = {
    "Server Error",
    "Welcome,\nlog in to your account",
    "Email/Username",
    "Invalid credentials, please try again",
    "Password",
    "New user?",
    "Register",
    "Forget Password?",
    "Login",
    "User not found!",
    "| Type",
    "Create your account",
    "Username",
    "Retype-password",
    "Email address",
    "*The email is the only credential for password\nrecovery, please fill it out carefully.",
    "Accept all",
    "Privacy Policy",
    "Already have an account?",
    "Log In",
    "Password Does Not Match!",
    "Agree Privacy Policy",
    "Oops!",
    "OK",
    "Registration Successful",
    "Reset password",
    "Enter your registered email",
    "Reset Password",
    "Return to",
    "You are not register, Please sign up first to reset password!",
    "Set new password",
    "Please re-enter password",
    "Save new password",
    "New password set successfully",
    "Go to login",
    "Menu",
    "Get Support",
    "Setting",
    "Connect devices",
    "About Us",
    "Log out",
    "Plans",
    "Email",
    "Send email for support",
    "Telegram",
    "Get support via Telegram",
    "Server List",
    "Protocol",
    "Decides how data moves between\na device and a VPN server",
    "No Protocol Selected",
    "WireGuard",
    "Open VPN",
    "OpenVPN",
    "Shadowshocks",
    "V2ray",
    "Search your preferred server...",
    "You are connected to VPN.You have to disconnect VPN to change Protocol.",
    "DISCONNECT",
    "SKIP",
    "N/A",
    // Dashboard and kill switch
    "Unprotected internet status",
    "Network Status",
    "Protected Internet Status",
    "Protocol:",
    "Protocol IP:",
    "Speed:",
    "Server:",
    "not selected",
    "Last used server",
    "Connect",
    "Disconnect",
    "Connecting...",
    "Connect Failed!",
    "Please Select a Server to Connect VPN",
    "Cancel",
    "Kill Switch",
    "Protect your digital data from\naccidental exposure",
    // The status words, as the tray and the desktop notifications show them
    "Connected",
    "Connecting",
    "Disconnecting",
    "Disconnected",
};

constexpr std::pair<std::string_view, std::string_view> kChinese[] = {
    // Start-up gate
    {"Server Error", "服务器错误"},
    // Login
    {"Welcome,\nlog in to your account", "欢迎，\n登录您的账户"},
    {"Email/Username", "邮箱/用户名"},
    {"Invalid credentials, please try again", "凭据无效，请重试"},
    {"Password", "密码"},
    {"New user?", "新用户？"},
    {"Register", "注册"},
    {"Forget Password?", "忘记密码？"},
    {"Login", "登录"},
    {"User not found!", "用户不存在！"},
    {"| Type", "| 输入"},
    // Sign-up and registration success
    {"Create your account", "创建您的账户"},
    {"Username", "用户名"},
    {"Retype-password", "再次输入密码"},
    {"Email address", "邮箱地址"},
    {"*The email is the only credential for password\nrecovery, please fill it out carefully.",
     "*邮箱是找回密码的唯一凭证，\n请认真填写。"},
    {"Accept all", "全部接受"},
    {"Privacy Policy", "隐私政策"},
    {"Already have an account?", "已有账户？"},
    {"Log In", "登录"},
    {"Password Does Not Match!", "密码不一致！"},
    {"Agree Privacy Policy", "请同意隐私政策"},
    {"Oops!", "出错了！"},
    {"OK", "好"},
    {"Registration Successful", "注册成功"},
    // Password recovery
    {"Reset password", "重置密码"},
    {"Enter your registered email", "输入您注册的邮箱"},
    {"Reset Password", "重置密码"},
    {"Return to", "返回"},
    {"You are not register, Please sign up first to reset password!",
     "您尚未注册，请先注册再重置密码！"},
    {"Set new password", "设置新密码"},
    {"Please re-enter password", "请再次输入密码"},
    {"Save new password", "保存新密码"},
    {"New password set successfully", "新密码设置成功"},
    {"Go to login", "前往登录"},
    // Main container and side menu
    {"Menu", "菜单"},
    {"Get Support", "获取支持"},
    {"Setting", "设置"},
    {"Connect devices", "已连接设备"},
    {"About Us", "关于我们"},
    {"Log out", "退出登录"},
    // Support
    {"Plans", "套餐"},
    {"Email", "邮件"},
    {"Send email for support", "发送邮件获取支持"},
    {"Telegram", "Telegram"},
    {"Get support via Telegram", "通过 Telegram 获取支持"},
    // Server picker
    {"Server List", "服务器列表"},
    {"Protocol", "协议"},
    {"Decides how data moves between\na device and a VPN server",
     "决定数据如何在设备\n与 VPN 服务器之间传输"},
    {"No Protocol Selected", "未选择协议"},
    {"WireGuard", "WireGuard"},
    {"Open VPN", "Open VPN"},
    {"OpenVPN", "OpenVPN"},
    {"Shadowshocks", "Shadowshocks"},
    {"V2ray", "V2ray"},
    {"Search your preferred server...", "搜索您想要的服务器..."},
    {"You are connected to VPN.You have to disconnect VPN to change Protocol.",
     "您已连接 VPN。更改协议前必须先断开 VPN。"},
    {"DISCONNECT", "断开连接"},
    {"SKIP", "跳过"},
    {"N/A", "不可用"},
    // Dashboard and kill switch
    {"Unprotected internet status", "网络未受保护"},
    {"Network Status", "网络状态"},
    {"Protected Internet Status", "网络已受保护"},
    {"Protocol:", "协议："},
    {"Protocol IP:", "协议 IP："},
    {"Speed:", "速度："},
    {"Server:", "服务器："},
    {"not selected", "未选择"},
    {"Last used server", "上次使用的服务器"},
    {"Connect", "连接"},
    {"Disconnect", "断开"},
    {"Connecting...", "正在连接..."},
    {"Connect Failed!", "连接失败！"},
    {"Please Select a Server to Connect VPN", "请先选择服务器再连接 VPN"},
    {"Cancel", "取消"},
    {"Kill Switch", "断网保护"},
    {"Protect your digital data from\naccidental exposure", "保护您的数据，\n防止意外泄露"},
    // Tray and desktop notifications
    {"Connected", "已连接"},
    {"Connecting", "正在连接"},
    {"Disconnecting", "正在断开"},
    {"Disconnected", "已断开"},
};

}  // namespace

const std::unordered_map<std::string_view, std::string_view>& simplifiedChineseTable() {
  static const std::unordered_map<std::string_view, std::string_view> table(std::begin(kChinese),
                                                                            std::end(kChinese));
  return table;
}

const std::unordered_map<std::string_view, std::string_view>& englishTable() {
  static const auto table = [] {
    std::unordered_map<std::string_view, std::string_view> english;
    for (std::string_view key : kEnglish) english.emplace(key, key);
    return english;
  }();
  return table;
}

}  // namespace corvane::screenkit
