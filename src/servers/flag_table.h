#pragma once
// Country code text → flag image asset name. The backend sends ISO 3166-1 numeric codes as
// text, mostly zero-padded ("004") but a few without their leading zeros ("8"), plus two
// codes of its own ("9999", "1111"). Lookups are by exact text: no trimming, no case change,
// no adding or dropping leading zeros, because the asset catalogue was keyed on the texts the
// backend actually sends and "008" is not one of them.
#include <optional>
#include <string>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

namespace corvane::servers {

struct FlagEntry {
  std::string_view countryCode;
  std::string_view assetName;
};

class FlagTable {
 public:
  // The one table of the app, built on first use from the compiled-in list.
  static const FlagTable& shared();

  // Builds a table from `entries`. Throws std::invalid_argument naming the code when a code
  // appears twice: two flags for one code would make the lookup depend on list order.
  static FlagTable fromEntries(std::span<const FlagEntry> entries);

  // The compiled-in list, in its literal order (218 entries).
  static std::span<const FlagEntry> builtinEntries();

  std::optional<std::string_view> assetName(std::string_view countryCode) const;
  std::size_t size() const { return sorted_.size(); }

 private:
  std::vector<FlagEntry> sorted_;  // by countryCode, for binary search
};

// Shorthand for FlagTable::shared().assetName(code); none for an absent code.
std::optional<std::string_view> flagAssetName(const std::optional<std::string>& countryCode);

}  // namespace corvane::servers
