#include "api/support/record_samples.h"

#include <string>

namespace corvane::api::test {

std::string ipBundleJson(int n) {
  const std::string i = std::to_string(n);
  return R"({"bundleName":"Bundle )" + i + R"(","ipName":"de-fra-)" + i + R"(","ip":"10.0.0.)" + i +
         R"(","note":"note )" + i + R"(","network":)" + std::to_string(100 + n) +
         R"(,"config":"Y29uZmln)" + i + R"(","typeTxt":"OpenVPN",)" + R"("type":)" +
         std::to_string(200 + n) + R"(,"priority":)" + std::to_string(300 + n) +
         R"(,"countryCode":"DE","vpn_server_id":)" + std::to_string(400 + n) +
         R"(,"connection_type":)" + std::to_string(500 + n) + R"(,"ssl_ip":"10.1.0.)" + i +
         R"(","ip_id":)" + std::to_string(600 + n) +
         R"(,"site":"fra","platform":"ios","countryName":"Germany","is_online_stream":1,)"
         R"("is_gaming":2,"is_free":3,"is_fast_server":4,"is_adblocker":5,"ip_config":"cfg )" +
         i + R"(","server_city":"Frankfurt","lng":"8.68","lat":"50.11"})";
}

IPBundle ipBundleRecord(int n) {
  const std::string i = std::to_string(n);
  IPBundle b;
  b.bundleName = "Bundle " + i;
  b.ipName = "de-fra-" + i;
  b.ip = "10.0.0." + i;
  b.note = "note " + i;
  b.network = 100 + n;
  b.config = "Y29uZmln" + i;
  b.typeText = "OpenVPN";
  b.type = 200 + n;
  b.priority = 300 + n;
  b.countryCode = "DE";
  b.vpnServerID = 400 + n;
  b.connectionType = 500 + n;
  b.sslIP = "10.1.0." + i;
  b.ipID = 600 + n;
  b.site = "fra";
  b.platform = "ios";
  b.countryName = "Germany";
  b.isStreamingServer = 1;
  b.isGamingServer = 2;
  b.isFreeServer = 3;
  b.isHighSpeedServer = 4;
  b.isAdBlockServer = 5;
  b.ipConfig = "cfg " + i;
  b.serverCity = "Frankfurt";
  b.lng = "8.68";
  b.lat = "50.11";
  return b;
}

std::string inAppPaymentJson() {
  return R"({"iapp_ios_packages":[)"
         R"({"id":7,"name":"Monthly","price":4.99,"sku_ids":"vpn.month","sub_title":"1 month",)"
         R"("highlighted_text":"Popular","feature_title":"All servers"},)"
         R"({"id":8,"name":"Yearly","price":40,"sku_ids":"vpn.year","sub_title":"12 months",)"
         R"("highlighted_text":"Save","feature_title":"Best value"}],)"
         R"("premium_features_list":["No ads","Fast servers"],)"
         R"("features_img_block":{"img_url":"https://img.example/f.png","href":"https://example.net"}})";
}

InAppPayment inAppPaymentRecord() {
  InAppVPN month;
  month.id = 7;
  month.name = "Monthly";
  month.price = 4.99;
  month.skuID = "vpn.month";
  month.subTitle = "1 month";
  month.highlightedText = "Popular";
  month.featureTitle = "All servers";
  InAppVPN year;
  year.id = 8;
  year.name = "Yearly";
  year.price = 40.0;
  year.skuID = "vpn.year";
  year.subTitle = "12 months";
  year.highlightedText = "Save";
  year.featureTitle = "Best value";
  InAppFeature feature;
  feature.imageURLNet = "https://img.example/f.png";
  feature.websiteNet = "https://example.net";
  InAppPayment payment;
  payment.inAppPackages = std::vector<InAppVPN>{month, year};
  payment.featureList = std::vector<std::string>{"No ads", "Fast servers"};
  payment.featureData = feature;
  return payment;
}

std::string userJson() {
  return R"({"response_code":1,"message":"Welcome back","ip_bundle":[)" + ipBundleJson(1) + "," +
         ipBundleJson(2) +
         R"(],"expire_in_days":30,"validity_date":"2027-01-06","expired_at":"2027-01-06 10:00:00",)"
         R"("user_type":2,"announcement_title":"News","announcement_content":"New servers",)"
         R"("show_full_screen":"no","user_status":"active","account_id":"A-1001",)"
         R"("contact_email":"help@corvane.example","website_url":"https://corvane.example",)"
         R"("in_app_payment_page_data":)" +
         inAppPaymentJson() + R"(,"anti_tracker":"on","adult_content_blocker":"off"})";
}

User userRecord() {
  User u;
  u.responseCode = 1;
  u.message = "Welcome back";
  u.ipBundle = std::vector<IPBundle>{ipBundleRecord(1), ipBundleRecord(2)};
  u.expireInDays = 30;
  u.validityDate = "2027-01-06";
  u.expiryDate = "2027-01-06 10:00:00";
  u.userType = 2;
  u.annTitle = "News";
  u.annContent = "New servers";
  u.showFullScreen = "no";
  u.userStatus = "active";
  u.accountId = "A-1001";
  u.contactEmail = "help@corvane.example";
  u.websiteUrl = "https://corvane.example";
  u.inAppData = inAppPaymentRecord();
  u.antiTracker = "on";
  u.adultContentBlocker = "off";
  return u;
}

std::string datumJson() {
  return R"({"id":11,"pinlist_id":12,"username":"ada","password":"pw-not-logged",)"
         R"("udid":"6F1C-UDID","player_id":"player-9","app_id":13,"device_type":14,)"
         R"("vpn_app_version":"2.4.1","brand":"Framework","model":"Laptop 13","os_name":"Linux",)"
         R"("os_version":"6.1","os_platform":"x86_64","is_rooted_phone":0,)"
         R"("created_at":"2026-12-01 08:00:00"})";
}

Datum datumRecord() {
  Datum d;
  d.id = 11;
  d.pinlistID = 12;
  d.username = "ada";
  d.password = "pw-not-logged";
  d.udid = "6F1C-UDID";
  d.playerID = "player-9";
  d.appID = 13;
  d.deviceType = 14;
  d.vpnAppVersion = "2.4.1";
  d.brand = "Framework";
  d.model = "Laptop 13";
  d.osName = "Linux";
  d.osVersion = "6.1";
  d.osPlatform = "x86_64";
  d.isRootedPhone = 0;
  d.createdAt = "2026-12-01 08:00:00";
  return d;
}

std::string deviceResponseJson() {
  return R"({"status_code":200,"response_code":1,"message":"2 devices","data":[)" + datumJson() +
         "," + datumJson() + "]}";
}

DeviceResponse deviceResponseRecord() {
  DeviceResponse r;
  r.StatusCode = 200;
  r.responseCode = 1;
  r.message = "2 devices";
  r.data = std::vector<Datum>{datumRecord(), datumRecord()};
  return r;
}

}  // namespace corvane::api::test
