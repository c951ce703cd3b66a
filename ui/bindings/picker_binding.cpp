// The server picker: protocol buttons, search, the country list (a row model, so the view
// updates by rows), the shared latency value and the change-protocol prompt.
#include <QVariantMap>

#include "servers/server_list_view.h"
#include "servers/vpn_protocol.h"
#include "ui/bindings/binding_support.h"
#include "ui/bindings/screen_bindings.h"
#include "ui/models/server_rows_model.h"

namespace corvane::ui {

namespace {

QVariantList protocolButtons(const servers::ServerListView& m) {
  QVariantList buttons;
  int index = 0;
  for (const servers::ProtocolInfo& info : servers::protocolTable()) {
    buttons.push_back(QVariantMap{{"index", index++},
                                  {"label", localised(m.locale, info.buttonLabel)},
                                  {"image", qs(m.buttonImage(info.protocol))},
                                  {"selected", m.flags.flag(info.protocol)}});
  }
  return buttons;
}

}  // namespace

std::unique_ptr<ModelAdapter> bindServerList(servers::ServerListView& m) {
  auto a = std::make_unique<ModelAdapter>();
  const auto& l = m.locale;
  auto* rows = new ServerRowsModel(a.get());
  addTexts(*a, l, servers::ServerListView::kTexts);
  a->addField("headerText", [&l, &m] { return localised(l, m.headerText()); });
  a->addInput("searchText", [&m] { return qs(m.searchText); },
              [&m](const QVariant& v) { m.setSearchText(text(v)); });
  a->addField("protocols", [&m] { return protocolButtons(m); });
  a->addField("latencyText", [&m] { return qs(m.latencyText()); });
  a->addField("latencyColour", [&m] { return qs(m.latencyColour()); });
  a->addField("changeProtocolAlert", [&m] { return m.changeProtocolAlert; });
  a->addField("fetchingConfig", [&m] { return m.fetchingConfig; });
  a->addField("rows", [rows] { return QVariant::fromValue<QObject*>(rows); });
  a->addAction("appear", [&m](const QVariantList&) { m.appear(); });
  a->addAction("tapProtocol", [&m](const QVariantList& args) {
    const auto table = servers::protocolTable();
    const int index = args.isEmpty() ? -1 : args.front().toInt();
    if (index >= 0 && index < static_cast<int>(table.size())) m.tapProtocol(table[index].protocol);
  });
  a->addAction("tapServer", [&m](const QVariantList& args) {
    const int index = args.isEmpty() ? -1 : args.front().toInt();
    if (index >= 0 && index < static_cast<int>(m.ipBundle().size())) m.tapServer(m.ipBundle()[index]);
  });
  a->addAction("rowAppeared", [&m](const QVariantList& args) {
    const int index = args.isEmpty() ? -1 : args.front().toInt();
    if (index >= 0 && index < static_cast<int>(m.ipBundle().size())) m.rowAppeared(m.ipBundle()[index]);
  });
  a->addAction("disconnect", [&m](const QVariantList&) { m.tapDisconnect(); });
  a->addAction("skip", [&m](const QVariantList&) { m.tapSkip(); });
  a->addAction("close", [&m](const QVariantList&) { m.tapClose(); });

  // The rows follow the model too; a report of latency changes no row, so the filter is
  // applied again only when one of its inputs moved.
  struct Inputs {
    std::string search;
    std::optional<servers::VpnProtocol> protocol;
    const void* catalogue = nullptr;
    std::size_t size = 0;
    bool first = true;
  };
  auto last = std::make_shared<Inputs>();
  auto sync = [&m, rows, last] {
    const auto protocol = m.flags.chosen();
    const void* catalogue = m.ipBundle().data();
    if (!last->first && last->search == m.searchText && last->protocol == protocol &&
        last->catalogue == catalogue && last->size == m.ipBundle().size()) {
      return;
    }
    *last = Inputs{m.searchText, protocol, catalogue, m.ipBundle().size(), false};
    rows->update(m.sections(), m.ipBundle());
  };
  sync();
  QObject::connect(a.get(), &ModelAdapter::changed, rows, sync);
  follow(*a, m);
  return a;
}

}  // namespace corvane::ui
