// The picker's rows follow the search and the protocol by row insertions and removals, never
// a reset, and end up exactly as a fresh build of the same sections would be; collapsing a
// country removes only its servers.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include "servers/server_catalogue.h"
#include "ui/models/server_rows_model.h"

namespace corvane::ui {
namespace {

using servers::VpnProtocol;

api::IPBundle server(const char* country, const char* code, const char* name, int type) {
  api::IPBundle b;
  b.countryName = country;
  b.countryCode = code;
  b.ipName = name;
  b.type = type;
  return b;
}

QStringList rows(const ServerRowsModel& model) {
  QStringList out;
  for (int i = 0; i < model.rowCount(); ++i) {
    const QModelIndex at = model.index(i);
    out << (model.data(at, ServerRowsModel::kindRole).toString() == "section"
                ? "# " + model.data(at, ServerRowsModel::countryNameRole).toString()
                : model.data(at, ServerRowsModel::ipNameRole).toString());
  }
  return out;
}

struct Step {
  const char* search;
  std::optional<VpnProtocol> protocol;
};

class ServerRowsModelTest : public ::testing::TestWithParam<std::vector<Step>> {};

TEST_P(ServerRowsModelTest, EachChangeArrivesAsRowsAndMatchesAFreshBuild) {
  const servers::ServerCatalogue catalogue({
      server("Germany", "276", "Frankfurt", 5), server("Nigeria", "566", "Lagos", 1),
      server("Germany", "276", "Berlin", 1), server("Albania", "8", "Tirana", 5),
      server("Zambia", "894", "Lusaka", 7), server("albania", "8", "Durres", 4)});
  ServerRowsModel model;
  QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
  model.update(catalogue.sections(std::nullopt, ""), catalogue.servers());
  QSignalSpy resets(&model, &QAbstractItemModel::modelReset);

  for (const Step& step : GetParam()) {
    model.update(catalogue.sections(step.protocol, step.search), catalogue.servers());
    ServerRowsModel fresh;
    fresh.update(catalogue.sections(step.protocol, step.search), catalogue.servers());
    EXPECT_EQ(rows(model), rows(fresh)) << "search \"" << step.search << "\"";
  }
  EXPECT_EQ(resets.count(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, ServerRowsModelTest,
    ::testing::Values(
        std::vector<Step>{{"ger", std::nullopt}, {"", std::nullopt}},         // narrow, widen
        std::vector<Step>{{"a", std::nullopt}, {"al", std::nullopt}, {"", std::nullopt}},
        std::vector<Step>{{"", VpnProtocol::openVpn}, {"", VpnProtocol::wireGuard},
                          {"zzz", VpnProtocol::v2ray}, {"", std::nullopt}},  // to empty and back
        std::vector<Step>{{"", VpnProtocol::v2ray}, {"ni", std::nullopt}}));

TEST(ServerRowsModel, CollapsingACountryRemovesOnlyItsServers) {
  const servers::ServerCatalogue catalogue(
      {server("Germany", "276", "Frankfurt", 5), server("Germany", "276", "Berlin", 5),
       server("India", "356", "Mumbai", 5)});
  ServerRowsModel model;
  model.update(catalogue.sections(std::nullopt, ""), catalogue.servers());
  QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
  model.toggleSection("Germany");
  EXPECT_EQ(rows(model), (QStringList{"# Germany", "# India", "Mumbai"}));
  EXPECT_EQ(removed.count(), 1);
  model.toggleSection("Germany");
  EXPECT_EQ(rows(model), (QStringList{"# Germany", "Frankfurt", "Berlin", "# India", "Mumbai"}));
}

}  // namespace
}  // namespace corvane::ui
