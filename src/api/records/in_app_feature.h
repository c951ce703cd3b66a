#pragma once
// The feature image block of the in-app payment page ("features_img_block").
#include <optional>
#include <string>

namespace corvane::api {

struct InAppFeature {
  std::optional<std::string> imageURLNet;  // "img_url"
  std::optional<std::string> websiteNet;   // "href"

  friend bool operator==(const InAppFeature&, const InAppFeature&) = default;
};

}  // namespace corvane::api
