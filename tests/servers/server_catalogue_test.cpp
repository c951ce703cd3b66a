#include "servers/server_catalogue.h"

#include <gtest/gtest.h>

namespace corvane::servers {
namespace {

api::IPBundle server(std::optional<std::string> name, std::optional<std::string> country,
                     std::optional<std::int64_t> type, std::optional<std::string> code = {}) {
  api::IPBundle bundle;
  bundle.ipName = std::move(name);
  bundle.countryName = std::move(country);
  bundle.type = type;
  bundle.countryCode = std::move(code);
  return bundle;
}

// "country: name name | country: name" for compact comparisons.
std::string render(const ServerCatalogue& catalogue, const std::vector<ServerSection>& sections) {
  std::string out;
  for (const auto& section : sections) {
    if (!out.empty()) out += " | ";
    out += std::string(section.countryName) + ":";
    for (std::size_t index : section.serverIndices) {
      out += " " + catalogue.servers()[index].ipName.value_or("-");
    }
  }
  return out;
}

class CatalogueFilter : public ::testing::Test {
 protected:
  ServerCatalogue catalogue{{
      server("de1", "Germany", 5, "276"),
      server("ng1", "Nigeria", 5, "566"),
      server("de2", "Germany", 1, "276"),
      server("tr1", "TÜRKIYE", 6, "792"),
      server("zm1", "Zambia", 4, "894"),
      server("al1", "albania", 7, "8"),
      server("x1", std::nullopt, 5),
      server("x2", "", std::nullopt),
      server("de3", "Germany", 5, "276"),
      server("de4", "Germany", std::nullopt, "276"),
  }};
};

TEST_F(CatalogueFilter, SearchProtocolGroupingAndOrder) {
  struct Case {
    std::optional<VpnProtocol> protocol;
    std::string search;
    std::string shown;
  };
  const Case cases[] = {
      // No protocol, no search: everything; the unnamed group first, then code-point order
      // ("TÜRKIYE" and "Zambia" before "albania"), servers in catalogue order.
      {std::nullopt, "",
       ": x1 x2 | Germany: de1 de2 de3 de4 | Nigeria: ng1 | TÜRKIYE: tr1 | Zambia: zm1 | "
       "albania: al1"},
      {VpnProtocol::wireGuard, "", ": x1 | Germany: de1 de3 | Nigeria: ng1"},
      {VpnProtocol::openVpn, "", "Germany: de2 | TÜRKIYE: tr1"},  // types 1 and 6
      {VpnProtocol::shadowsocks, "", "Zambia: zm1"},
      {VpnProtocol::v2ray, "", "albania: al1"},
      // The letters occur inside Nigeria too; case and script do not matter.
      {VpnProtocol::wireGuard, "ger", "Germany: de1 de3 | Nigeria: ng1"},
      {VpnProtocol::wireGuard, "GER", "Germany: de1 de3 | Nigeria: ng1"},
      {std::nullopt, "türk", "TÜRKIYE: tr1"},
      {std::nullopt, "ALB", "albania: al1"},
      // A search never matches a server without a country name.
      {std::nullopt, "x", ""},
      {VpnProtocol::v2ray, "ger", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(render(catalogue, catalogue.sections(c.protocol, c.search)), c.shown)
        << "search '" << c.search << "'";
  }
}

TEST_F(CatalogueFilter, FlagComesFromTheFirstListedServer) {
  ServerCatalogue mixed{{
      server("a", "Germany", 1),          // no code
      server("b", "Germany", 5, "276"),
      server("c", "Atlantis", 5, "999"),  // unknown code
  }};
  const auto all = mixed.sections(std::nullopt, "");
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[0].countryName, "Atlantis");
  EXPECT_EQ(all[0].flagAsset, std::nullopt);
  EXPECT_EQ(all[1].flagAsset, std::nullopt);  // first server "a" has no code
  const auto wireGuard = mixed.sections(VpnProtocol::wireGuard, "");
  ASSERT_EQ(wireGuard.size(), 2u);
  EXPECT_EQ(wireGuard[1].flagAsset, std::optional<std::string_view>("flag_germany"));
}

TEST(CatalogueEmpty, NoSections) {
  ServerCatalogue empty;
  EXPECT_TRUE(empty.sections(std::nullopt, "").empty());
  EXPECT_TRUE(empty.sections(VpnProtocol::v2ray, "x").empty());
}

}  // namespace
}  // namespace corvane::servers
