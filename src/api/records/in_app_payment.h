#pragma once
// The in-app payment page carried in the login answer ("in_app_payment_page_data").
// Its two lists are required: an object without "iapp_ios_packages" or without
// "premium_features_list" fails to decode (and with it the whole login answer). They are still
// std::optional so that every record field has the same shape; a decoded InAppPayment always
// has both.
#include <optional>
#include <string>
#include <vector>

#include "api/records/in_app_feature.h"
#include "api/records/in_app_vpn.h"

namespace corvane::api {

struct InAppPayment {
  std::optional<std::vector<InAppVPN>> inAppPackages;   // "iapp_ios_packages", required
  std::optional<std::vector<std::string>> featureList;  // "premium_features_list", required
  std::optional<InAppFeature> featureData;              // "features_img_block"

  friend bool operator==(const InAppPayment&, const InAppPayment&) = default;
};

}  // namespace corvane::api
