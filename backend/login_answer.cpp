#include "backend/login_answer.h"

#include <nlohmann/json.hpp>

#include "backend/announcements.h"
#include "backend/text_time.h"

namespace corvane::backend {
namespace {

nlohmann::json inAppPaymentPage() {
  using nlohmann::json;
  auto package = [](int id, const char* name, double price, const char* sku, const char* sub, const char* highlight) {
    return json{{"id", id},          {"name", name},   {"price", price},       {"sku_ids", sku},
                {"sub_title", sub},  {"highlighted_text", highlight}, {"feature_title", "Premium"}};
  };
  return {{"iapp_ios_packages", json::array({package(1, "1 Month", 9.99, "net.corvane.month", "Billed monthly", ""),
                                             package(2, "1 Year", 59.99, "net.corvane.year", "Billed yearly",
                                                     "Save 50%")})},
          {"premium_features_list",
           json::array({"Servers in 25 countries", "WireGuard, OpenVPN, Shadowsocks and V2ray", "No logs"})},
          {"features_img_block", {{"img_url", "https://corvane.test/img/premium.png"}, {"href", "https://corvane.test/premium"}}}};
}

}  // namespace

LoginAnswer acceptedLoginAnswer(const Account& account, const ServerCatalogue& catalogue, std::int64_t now) {
  const std::int64_t left = account.expiresAt > now ? (account.expiresAt - now) / 86400 : 0;
  nlohmann::json user = {
      {"response_code", 1},
      {"message", "Login successful"},
      {"expire_in_days", left},
      {"validity_date", utcDate(account.expiresAt)},
      {"expired_at", utcDateTime(account.expiresAt)},
      {"user_type", account.userType},
      {"announcement_title", kAccountNoticeTitle},
      {"announcement_content", kAccountNoticeContent},
      {"show_full_screen", "0"},
      {"user_status", account.expiresAt > now ? "active" : "expired"},
      {"account_id", std::to_string(account.id)},
      {"contact_email", account.contactEmail},
      {"website_url", "https://corvane.test"},
      {"in_app_payment_page_data", inAppPaymentPage()},
      {"anti_tracker", "0"},
      {"adult_content_blocker", "0"},
  };
  // Append the pre-serialised catalogue as the last member; dump() ends with the object's
  // closing brace, which goes back on after the array.
  LoginAnswer answer{user.dump(), 0};
  answer.text.pop_back();
  answer.text += ",\"ip_bundle\":";
  answer.bundleAt = answer.text.size();
  answer.text += catalogue.bundleJson();
  answer.text += '}';
  return answer;
}

}  // namespace corvane::backend
