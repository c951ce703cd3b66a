// Support (two contact rows) and the list of the account's signed-in devices.
#include <QVariantMap>

#include "screens/connect_device_view.h"
#include "screens/support_view.h"
#include "ui/bindings/binding_support.h"
#include "ui/bindings/screen_bindings.h"

namespace corvane::ui {

namespace {

QVariantMap row(const screens::SupportView::Row& r, const char* action) {
  return {{"icon", qs(r.icon)},
          {"title", qs(r.title)},
          {"subtitle", qs(r.subtitle)},
          {"action", QString::fromLatin1(action)}};
}

}  // namespace

std::unique_ptr<ModelAdapter> bindSupport(screens::SupportView& m) {
  using View = screens::SupportView;
  auto a = std::make_unique<ModelAdapter>();
  addTexts(*a, m.locale, View::kTexts);
  const auto rows = m.rows();  // fixed texts: read once
  const QVariantList shown{row(rows[0], "tapEmail"), row(rows[1], "tapChat")};
  a->addField("rows", [shown] { return shown; });
  a->addAction("tapEmail", [&m](const QVariantList&) { m.tapEmail(); });
  a->addAction("tapChat", [&m](const QVariantList&) { m.tapChat(); });
  a->addAction("close", [&m](const QVariantList&) { m.tapClose(); });
  follow(*a, m);
  return a;
}

std::unique_ptr<ModelAdapter> bindDevices(screens::ConnectDeviceView& m) {
  using View = screens::ConnectDeviceView;
  auto a = std::make_unique<ModelAdapter>();
  addTexts(*a, m.locale, View::kTexts);
  a->addField("loading", [&m] { return m.loading; });
  a->addField("devices", [&m] {
    QVariantList cards;
    for (const auto& device : m.devices) {
      const View::Card card = View::card(device);
      cards.push_back(QVariantMap{{"brand", qs(card.brand)},
                                  {"model", qs(card.model)},
                                  {"osName", qs(card.osName)},
                                  {"osVersion", qs(card.osVersion)}});
    }
    return cards;
  });
  a->addAction("appear", [&m](const QVariantList&) { m.appear(); });
  a->addAction("close", [&m](const QVariantList&) { m.tapClose(); });
  follow(*a, m);
  return a;
}

}  // namespace corvane::ui
