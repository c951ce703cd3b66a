// The dashboard: the menu control, the status panel, the power image with its connecting
// frames and the power button, the rows, the last-used-server card that opens the picker,
// the announcements and the two alerts.
#include "tunnel/home_view.h"
#include "servers/server_list_view.h"
#include "tunnel/connect_button.h"
#include "tunnel/dashboard_status.h"
#include "ui/bindings/binding_support.h"
#include "ui/bindings/screen_bindings.h"

namespace corvane::ui {

namespace {

// One entry per drawn row value: the model's rows, read once per refresh.
using Rows = tunnel::DashboardRows;
using RowText = std::string Rows::*;

void addRowFields(ModelAdapter& a, tunnel::HomeView& m) {
  const std::pair<const char*, RowText> texts[] = {
      {"statusPanel", &Rows::statusPanel},   {"statusIcon", &Rows::statusIcon},
      {"protocol", &Rows::protocol},         {"address", &Rows::address},
      {"upload", &Rows::upload},             {"download", &Rows::download},
      {"server", &Rows::server},             {"lastUsedFlag", &Rows::lastUsedFlag},
      {"lastUsedCountry", &Rows::lastUsedCountryName}, {"lastUsedServer", &Rows::lastUsedServer},
  };
  // The rows are computed once per refresh, not once per field.
  auto cache = std::make_shared<Rows>();
  a.addField("hasTunnel", [&m, cache] {
    auto rows = m.shownRows();
    *cache = rows.value_or(Rows{});
    return rows.has_value();
  });
  for (const auto& [name, member] : texts) {
    a.addField(QString::fromLatin1(name), [cache, member = member] { return qs((*cache).*member); });
  }
  a.addField("speedShown", [cache] { return cache->speedShown; });
}

}  // namespace

std::unique_ptr<ModelAdapter> bindHome(tunnel::HomeView& m) {
  auto a = std::make_unique<ModelAdapter>();
  const auto labels = m.labels();
  a->addField("menuText", [labels] { return qs(labels.menu); });
  a->addField("lastUsedServerText", [labels] { return qs(labels.lastUsedServer); });
  a->addField("protocolLabel", [labels] { return qs(labels.protocol); });
  a->addField("addressLabel", [labels] { return qs(labels.address); });
  a->addField("speedLabel", [labels] { return qs(labels.speed); });
  a->addField("serverLabel", [labels] { return qs(labels.server); });
  a->addField("selectServerTitle", [labels] { return qs(labels.alertTitle); });
  a->addField("selectServerMessage", [labels] { return qs(labels.alertMessage); });
  a->addField("okText", [labels] { return qs(labels.ok); });
  a->addField("cancelText", [labels] { return qs(labels.cancel); });
  addRowFields(*a, m);
  a->addField("powerFrame", [&m] { return m.dashboard() ? qs(m.dashboard()->powerFrame()) : QString(); });
  a->addField("buttonImage", [&m] { return qs(m.shownLook().value_or(tunnel::ConnectButton::Look{}).image); });
  a->addField("buttonText", [&m] { return qs(m.shownLook().value_or(tunnel::ConnectButton::Look{}).label); });
  a->addField("buttonDisabled", [&m] { return m.shownLook().value_or(tunnel::ConnectButton::Look{"", "", true}).disabled; });
  a->addField("announcement", [&m] { return m.dashboard() ? qs(m.dashboard()->announcementOne) : QString(); });
  a->addField("noticeTitle", [&m] { return m.dashboard() ? qs(m.dashboard()->anntitle) : QString(); });
  a->addField("noticeText", [&m] { return m.dashboard() ? qs(m.dashboard()->anntext) : QString(); });
  a->addField("selectServerAlert", [&m] { return m.selectServerAlert; });
  a->addField("startAlert", [&m] {
    return m.connectButton() && m.connectButton()->alert ? qs(*m.connectButton()->alert) : QString();
  });
  a->addAction("appear", [&m](const QVariantList&) { m.onShown(); });
  a->addAction("disappear", [&m](const QVariantList&) { m.onHidden(); });
  a->addAction("scenePhase", [&m](const QVariantList& args) {
    if (!args.isEmpty()) m.scenePhaseActive(args.front().toBool());
  });
  a->addAction("tapMenu", [&m](const QVariantList&) { m.tapMenu(); });
  a->addAction("pressPower", [&m](const QVariantList&) { m.pressPower(); });
  a->addAction("openServerList", [&m](const QVariantList&) { m.openServerList(); });
  a->addAction("alertOK", [&m](const QVariantList&) { m.alertOK(); });
  a->addAction("alertCancel", [&m](const QVariantList&) { m.alertCancel(); });
  a->addAction("dismissStartAlert", [&m](const QVariantList&) {
    if (m.connectButton()) m.connectButton()->dismissAlert();
  });
  a->addChild("serverList", [&m] { return static_cast<const void*>(m.serverList()); },
              [&m] { return bindServerList(*m.serverList()); });
  follow(*a, m);
  return a;
}

}  // namespace corvane::ui
