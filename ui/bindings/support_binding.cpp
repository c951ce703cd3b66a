// Support (two contact rows) and the list of the account's signed-in devices.
#include <QVariantMap>

#include "screens/connect_device_view.h"
#include "screens/support_view.h"
#include "ui/bindings/binding_support.h"
#include "ui/bindings/screen_bindings.h"

namespace corvane::ui {

namespace {

QVariantMap row(const screenkit::Localization& locale, const screens::SupportView::Row& r,
                const char* action) {
  return {{"icon", qs(r.icon)},
          {"title", localised(locale, r.title)},
          {"subtitle", localised(locale, r.subtitle)},
          {"action", QString::fromLatin1(action)}};
}

}  // namespace

std::unique_ptr<ModelAdapter> bindSupport(screens::SupportView& m) {
  using View = screens::SupportView;
  auto a = std::make_unique<ModelAdapter>();
  auto locale = std::make_shared<screenkit::Localization>(screenkit::Localization::fromEnvironment());
  a->addField("title", [locale] { return localised(*locale, View::kTitle); });
  a->addField("rows", [locale] {
    return QVariantList{row(*locale, View::kEmailRow, "tapEmail"),
                        row(*locale, View::kChatRow, "tapChat")};
  });
  a->addAction("tapEmail", [&m](const QVariantList&) { m.tapEmail(); });
  a->addAction("tapChat", [&m](const QVariantList&) { m.tapChat(); });
  a->addAction("close", [&m](const QVariantList&) { m.tapClose(); });
  follow(*a, m);
  return a;
}

std::unique_ptr<ModelAdapter> bindDevices(screens::ConnectDeviceView& m) {
  using View = screens::ConnectDeviceView;
  auto a = std::make_unique<ModelAdapter>();
  a->addField("title", [&m] { return localised(m.locale, View::kTitle); });
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
