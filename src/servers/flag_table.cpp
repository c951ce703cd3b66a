#include "servers/flag_table.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace corvane::servers {

namespace {

// Values repeat on purpose: "flag_martinique" stands for "474" and "175", and
// "flag_south_sudan" for "728" and the backend's own "9999" and "1111".
constexpr FlagEntry kFlags[] = {
    {"8", "flag_albania"}, {"004", "flag_afghanistan"}, {"012", "flag_algeria"},
    {"020", "flag_andorra"}, {"024", "flag_angola"}, {"032", "flag_argentina"},
    {"051", "flag_armenia"}, {"533", "flag_aruba"}, {"040", "flag_austria"},
    {"036", "flag_australia"}, {"031", "flag_azerbaijan"}, {"48", "flag_bahrain"},
    {"050", "flag_bangladesh"}, {"112", "flag_belarus"}, {"056", "flag_belgium"},
    {"84", "flag_belize"}, {"204", "flag_benin"}, {"064", "flag_bhutan"},
    {"68", "flag_bolivia"}, {"070", "flag_bosnia"}, {"072", "flag_botswana"},
    {"076", "flag_brazil"}, {"96", "flag_brunei"}, {"100", "flag_bulgaria"},
    {"854", "flag_burkina_faso"}, {"104", "flag_myanmar"}, {"108", "flag_burundi"},
    {"116", "flag_cambodia"}, {"120", "flag_cameroon"}, {"124", "flag_canada"},
    {"132", "flag_cape_verde"}, {"140", "flag_central_african_republic"}, {"148", "flag_chad"},
    {"152", "flag_chile"}, {"156", "flag_china"}, {"170", "flag_colombia"},
    {"174", "flag_comoros"}, {"178", "flag_republic_of_the_congo"}, {"180", "flag_democratic_republic_of_the_congo"},
    {"184", "flag_cook_islands"}, {"188", "flag_costa_rica"}, {"191", "flag_croatia"},
    {"192", "flag_cuba"}, {"196", "flag_cyprus"}, {"203", "flag_czech_republic"},
    {"208", "flag_denmark"}, {"262", "flag_djibouti"}, {"626", "flag_timor_leste"},
    {"218", "flag_ecuador"}, {"818", "flag_egypt"}, {"222", "flag_el_salvador"},
    {"226", "flag_equatorial_guinea"}, {"232", "flag_eritrea"}, {"233", "flag_estonia"},
    {"231", "flag_ethiopia"}, {"238", "flag_falkland_islands"}, {"234", "flag_faroe_islands"},
    {"242", "flag_fiji"}, {"246", "flag_finland"}, {"250", "flag_france"},
    {"258", "flag_french_polynesia"}, {"266", "flag_gabon"}, {"270", "flag_gambia"},
    {"268", "flag_georgia"}, {"276", "flag_germany"}, {"288", "flag_ghana"},
    {"292", "flag_gibraltar"}, {"300", "flag_greece"}, {"304", "flag_greenland"},
    {"320", "flag_guatemala"}, {"324", "flag_guinea"}, {"624", "flag_guinea_bissau"},
    {"328", "flag_guyana"}, {"332", "flag_haiti"}, {"340", "flag_honduras"},
    {"344", "flag_hong_kong"}, {"348", "flag_hungary"}, {"356", "flag_india"},
    {"360", "flag_indonesia"}, {"364", "flag_iran"}, {"368", "flag_iraq"},
    {"372", "flag_ireland"}, {"833", "flag_isleof_man"}, {"376", "flag_israel"},
    {"380", "flag_italy"}, {"384", "flag_cote_divoire"}, {"392", "flag_japan"},
    {"400", "flag_jordan"}, {"398", "flag_kenya"}, {"414", "flag_kiribati"},
    {"296", "flag_kuwait"}, {"417", "flag_kyrgyzstan"}, {"136", "flag_cayman_islands"},
    {"418", "flag_laos"}, {"428", "flag_latvia"}, {"422", "flag_lebanon"},
    {"426", "flag_lesotho"}, {"430", "flag_liberia"}, {"434", "flag_libya"},
    {"438", "flag_liechtenstein"}, {"440", "flag_lithuania"}, {"442", "flag_luxembourg"},
    {"450", "flag_madagascar"}, {"454", "flag_malawi"}, {"458", "flag_malaysia"},
    {"462", "flag_maldives"}, {"466", "flag_mali"}, {"470", "flag_malta"},
    {"584", "flag_marshall_islands"}, {"478", "flag_mauritania"}, {"480", "flag_mauritius"},
    {"175", "flag_martinique"}, {"474", "flag_martinique"}, {"484", "flag_mexico"},
    {"583", "flag_micronesia"}, {"498", "flag_moldova"}, {"492", "flag_monaco"},
    {"496", "flag_mongolia"}, {"499", "flag_of_montenegro"}, {"504", "flag_morocco"},
    {"508", "flag_mozambique"}, {"516", "flag_namibia"}, {"520", "flag_nauru"},
    {"524", "flag_nepal"}, {"528", "flag_netherlands"}, {"540", "flag_new_caledonia"},
    {"554", "flag_new_zealand"}, {"558", "flag_nicaragua"}, {"562", "flag_niger"},
    {"566", "flag_nigeria"}, {"570", "flag_niue"}, {"410", "flag_north_korea"},
    {"578", "flag_norway"}, {"512", "flag_oman"}, {"586", "flag_pakistan"},
    {"585", "flag_palau"}, {"591", "flag_panama"}, {"598", "flag_papua_new_guinea"},
    {"600", "flag_paraguay"}, {"604", "flag_peru"}, {"608", "flag_philippines"},
    {"612", "flag_pitcairn_islands"}, {"616", "flag_poland"}, {"620", "flag_portugal"},
    {"630", "flag_puerto_rico"}, {"634", "flag_qatar"}, {"642", "flag_romania"},
    {"643", "flag_russian_federation"}, {"646", "flag_rwanda"}, {"652", "flag_saint_barthelemy"},
    {"882", "flag_samoa"}, {"674", "flag_san_marino"}, {"678", "flag_sao_tome_and_principe"},
    {"682", "flag_saudi_arabia"}, {"686", "flag_senegal"}, {"688", "flag_serbia"},
    {"690", "flag_seychelles"}, {"694", "flag_sierra_leone"}, {"702", "flag_singapore"},
    {"703", "flag_slovakia"}, {"705", "flag_slovenia"}, {"90", "flag_soloman_islands"},
    {"706", "flag_somalia"}, {"710", "flag_south_africa"}, {"408", "flag_south_korea"},
    {"724", "flag_spain"}, {"144", "flag_sri_lanka"}, {"654", "flag_saint_helena"},
    {"666", "flag_saint_pierre"}, {"729", "flag_sudan"}, {"740", "flag_suriname"},
    {"752", "flag_sweden"}, {"756", "flag_switzerland"}, {"760", "flag_syria"},
    {"158", "flag_taiwan"}, {"762", "flag_tajikistan"}, {"834", "flag_tanzania"},
    {"764", "flag_thailand"}, {"768", "flag_togo"}, {"772", "flag_tokelau"},
    {"776", "flag_tonga"}, {"788", "flag_tunisia"}, {"792", "flag_turkey"},
    {"795", "flag_turkmenistan"}, {"798", "flag_tuvalu"}, {"784", "flag_uae"},
    {"800", "flag_uganda"}, {"826", "flag_united_kingdom"}, {"804", "flag_ukraine"},
    {"858", "flag_uruguay"}, {"840", "flag_united_states_of_america"}, {"860", "flag_uzbekistan"},
    {"548", "flag_vanuatu"}, {"862", "flag_venezuela"}, {"704", "flag_vietnam"},
    {"876", "flag_wallis_and_futuna"}, {"887", "flag_yemen"}, {"894", "flag_zambia"},
    {"716", "flag_zimbabuwe"}, {"660", "flag_anguilla"}, {"28", "flag_antigua_and_barbuda"},
    {"044", "flag_bahamas"}, {"052", "flag_barbados"}, {"92", "flag_british_virgin_islands"},
    {"212", "flag_dominica"}, {"214", "flag_dominican_republic"}, {"308", "flag_grenada"},
    {"388", "flag_jamaica"}, {"500", "flag_montserrat"}, {"659", "flag_saint_kitts_and_nevis"},
    {"662", "flag_saint_lucia"}, {"670", "flag_saint_vicent_and_the_grenadines"}, {"780", "flag_trinidad_and_tobago"},
    {"796", "flag_turks_and_caicos_islands"}, {"850", "flag_us_virgin_islands"}, {"728", "flag_south_sudan"},
    {"9999", "flag_south_sudan"}, {"1111", "flag_south_sudan"},
};

}  // namespace

std::span<const FlagEntry> FlagTable::builtinEntries() { return kFlags; }

FlagTable FlagTable::fromEntries(std::span<const FlagEntry> entries) {
  FlagTable table;
  table.sorted_.assign(entries.begin(), entries.end());
  std::sort(table.sorted_.begin(), table.sorted_.end(),
            [](const FlagEntry& a, const FlagEntry& b) { return a.countryCode < b.countryCode; });
  const auto duplicate = std::adjacent_find(
      table.sorted_.begin(), table.sorted_.end(),
      [](const FlagEntry& a, const FlagEntry& b) { return a.countryCode == b.countryCode; });
  if (duplicate != table.sorted_.end()) {
    throw std::invalid_argument("duplicate country code in flag table: \"" +
                                std::string(duplicate->countryCode) + "\"");
  }
  return table;
}

const FlagTable& FlagTable::shared() {
  static const FlagTable table = fromEntries(kFlags);
  return table;
}

std::optional<std::string_view> FlagTable::assetName(std::string_view countryCode) const {
  const auto it = std::lower_bound(
      sorted_.begin(), sorted_.end(), countryCode,
      [](const FlagEntry& entry, std::string_view code) { return entry.countryCode < code; });
  if (it == sorted_.end() || it->countryCode != countryCode) return std::nullopt;
  return it->assetName;
}

std::optional<std::string_view> flagAssetName(const std::optional<std::string>& countryCode) {
  if (!countryCode) return std::nullopt;
  return FlagTable::shared().assetName(*countryCode);
}

}  // namespace corvane::servers
