#pragma once
// One purchasable package of the in-app payment page ("iapp_ios_packages").
#include <cstdint>
#include <optional>
#include <string>

namespace corvane::api {

struct InAppVPN {
  std::optional<std::int64_t> id;              // "id"
  std::optional<std::string> name;             // "name"
  std::optional<double> price;                 // "price" (an integer on the wire is accepted)
  std::optional<std::string> skuID;            // "sku_ids"
  std::optional<std::string> subTitle;         // "sub_title"
  std::optional<std::string> highlightedText;  // "highlighted_text"
  std::optional<std::string> featureTitle;     // "feature_title"

  friend bool operator==(const InAppVPN&, const InAppVPN&) = default;
};

}  // namespace corvane::api
