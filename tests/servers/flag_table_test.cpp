#include "servers/flag_table.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace corvane::servers {
namespace {

struct FlagCase {
  std::optional<std::string> code;
  std::optional<std::string_view> asset;
};

class FlagLookup : public ::testing::TestWithParam<FlagCase> {};

TEST_P(FlagLookup, ExactTextOnly) {
  EXPECT_EQ(flagAssetName(GetParam().code), GetParam().asset);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, FlagLookup,
    ::testing::Values(
        // Keys written without leading zeros match only as written.
        FlagCase{"8", "flag_albania"}, FlagCase{"008", std::nullopt},
        FlagCase{"28", "flag_antigua_and_barbuda"}, FlagCase{"028", std::nullopt},
        FlagCase{"004", "flag_afghanistan"}, FlagCase{"4", std::nullopt},
        // Shared images and the backend's own codes.
        FlagCase{"175", "flag_martinique"}, FlagCase{"474", "flag_martinique"},
        FlagCase{"728", "flag_south_sudan"}, FlagCase{"9999", "flag_south_sudan"},
        FlagCase{"1111", "flag_south_sudan"},
        // Spellings the asset catalogue relies on.
        FlagCase{"833", "flag_isleof_man"}, FlagCase{"499", "flag_of_montenegro"},
        FlagCase{"90", "flag_soloman_islands"}, FlagCase{"716", "flag_zimbabuwe"},
        FlagCase{"670", "flag_saint_vicent_and_the_grenadines"},
        FlagCase{"276", "flag_germany"}, FlagCase{"566", "flag_nigeria"},
        FlagCase{"792", "flag_turkey"},
        // No trimming, no guessing.
        FlagCase{" 276", std::nullopt}, FlagCase{"276 ", std::nullopt},
        FlagCase{"", std::nullopt}, FlagCase{"DE", std::nullopt},
        FlagCase{std::nullopt, std::nullopt}));

TEST(FlagTable, HoldsEveryEntryOnceWithSharedImages) {
  const auto entries = FlagTable::builtinEntries();
  EXPECT_EQ(entries.size(), 218u);
  EXPECT_EQ(FlagTable::shared().size(), 218u);

  std::set<std::string_view> assets;
  for (const FlagEntry& entry : entries) {
    EXPECT_TRUE(entry.assetName.starts_with("flag_")) << entry.assetName;
    EXPECT_EQ(FlagTable::shared().assetName(entry.countryCode), entry.assetName);
    assets.insert(entry.assetName);
  }
  // martinique twice, south_sudan three times: 218 - 1 - 2 distinct images.
  EXPECT_EQ(assets.size(), 215u);
}

TEST(FlagTable, DuplicateCodeFailsTheBuild) {
  const FlagEntry entries[] = {{"8", "flag_albania"}, {"276", "flag_germany"}, {"8", "flag_x"}};
  EXPECT_THROW(FlagTable::fromEntries(entries), std::invalid_argument);
}

}  // namespace
}  // namespace corvane::servers
