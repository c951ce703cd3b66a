#include "common/login_answer.h"

#include <array>
#include <cstdint>
#include <string>

namespace corvane::bench {
namespace {

constexpr std::size_t kConfigBytes = 1536;  // 2048 characters of Base64

std::string base64(const std::string& bytes) {
  static constexpr char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    std::uint32_t chunk = static_cast<std::uint8_t>(bytes[i]) << 16;
    if (i + 1 < bytes.size()) chunk |= static_cast<std::uint8_t>(bytes[i + 1]) << 8;
    if (i + 2 < bytes.size()) chunk |= static_cast<std::uint8_t>(bytes[i + 2]);
    out += kAlphabet[(chunk >> 18) & 63];
    out += kAlphabet[(chunk >> 12) & 63];
    out += i + 1 < bytes.size() ? kAlphabet[(chunk >> 6) & 63] : '=';
    out += i + 2 < bytes.size() ? kAlphabet[chunk & 63] : '=';
  }
  return out;
}

// An OpenVPN-looking configuration, varied per server so no two entries are alike.
std::string config(std::size_t index) {
  std::string text = "client\ndev tun\nproto udp\nremote 10." + std::to_string(index / 250 % 250) +
                     "." + std::to_string(index % 250) + ".1 1194\nresolv-retry infinite\n";
  std::uint64_t state = 0x9E3779B97F4A7C15ull ^ index;
  text += "<ca>\n";
  while (text.size() < kConfigBytes - 6) {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    text += static_cast<char>('A' + (state >> 59) % 26);
    if (text.size() % 65 == 0) text += '\n';
  }
  text += "</ca>\n";
  text.resize(kConfigBytes, '\n');
  return base64(text);
}

struct Country {
  const char* code;
  const char* name;
  const char* city;
};
constexpr std::array<Country, 6> kCountries = {{{"DE", "Germany", "Frankfurt"},
                                                {"JP", "Japan", "Tokyo"},
                                                {"US", "United States", "New York"},
                                                {"FR", "France", "Paris"},
                                                {"GB", "United Kingdom", "London"},
                                                {"SG", "Singapore", "Singapore"}}};
constexpr std::array<int, 5> kTypes = {1, 4, 5, 6, 7};

void appendServer(std::string& out, std::size_t i) {
  const Country& c = kCountries[i % kCountries.size()];
  const std::string n = std::to_string(i);
  const std::string ip =
      "10." + std::to_string(i / 250 % 250) + "." + std::to_string(i % 250) + ".1";
  out += R"({"bundleName":")" + std::string(c.city) + " " + n + R"(","ipName":")" + c.code + "-" +
         n + R"(","ip":")" + ip + R"(","note":"Server )" + n + R"(","network":1,"config":")" +
         config(i) + R"(","typeTxt":"OpenVPN","type":)" +
         std::to_string(kTypes[i % kTypes.size()]) + R"(,"priority":)" + std::to_string(i % 10) +
         R"(,"countryCode":")" + c.code + R"(","vpn_server_id":)" + std::to_string(10000 + i) +
         R"(,"connection_type":)" + std::to_string(i % 3) + R"(,"ssl_ip":")" + ip +
         R"(","ip_id":)" + std::to_string(20000 + i) +
         R"(,"site":"corvane","platform":"ios","countryName":")" + c.name +
         R"(","is_online_stream":)" + std::to_string(i % 2) + R"(,"is_gaming":)" +
         std::to_string(i / 2 % 2) + R"(,"is_free":)" + std::to_string(i / 3 % 2) +
         R"(,"is_fast_server":1,"is_adblocker":0,"ip_config":"udp 1194","server_city":")" + c.city +
         R"(","lng":"8.6821","lat":"50.1109"})";
}

}  // namespace

std::string loginAnswer(std::size_t servers) {
  std::string out = R"({"response_code":1,"message":"Login successful","ip_bundle":[)";
  for (std::size_t i = 0; i < servers; ++i) {
    if (i) out += ',';
    appendServer(out, i);
  }
  out +=
      R"(],"expire_in_days":30,"validity_date":"2027-01-06","expired_at":"2027-01-06 10:00:00",)"
      R"("user_type":1,"announcement_title":"News","announcement_content":"New servers",)"
      R"("show_full_screen":"0","user_status":"active","account_id":"A-1001",)"
      R"("contact_email":"help@corvane.example","website_url":"https://corvane.example",)"
      R"("in_app_payment_page_data":{"iapp_ios_packages":[{"id":1,"name":"Monthly",)"
      R"("price":4.99,"sku_ids":"vpn.month","sub_title":"1 month","highlighted_text":"",)"
      R"("feature_title":"Premium"}],"premium_features_list":["No ads"],)"
      R"("features_img_block":{"img_url":"https://img.example/a.png","href":"https://x.example"}},)"
      R"("anti_tracker":"1","adult_content_blocker":"0"})";
  return out;
}

}  // namespace corvane::bench
