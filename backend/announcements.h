#pragma once

namespace corvane::backend {

// The notices the backend publishes: the two start-up announcements and the account notice
// that every login carries.
inline constexpr const char* kAnnouncementOne = "Welcome to Corvane VPN. New servers in 25 countries.";
inline constexpr const char* kAnnouncementTwo = "Planned maintenance on Sunday 02:00-03:00 UTC.";
inline constexpr const char* kAccountNoticeTitle = "Account notice";
inline constexpr const char* kAccountNoticeContent = "Your subscription renews automatically. Manage it on our website.";

}  // namespace corvane::backend
