#pragma once
// What every screen binding uses: texts into QString, localised through the screen model's
// own table, and the listener that refreshes an adapter after each "changed" of its model.
#include <QPointer>
#include <QString>
#include <QVariant>

#include <optional>
#include <string>
#include <string_view>

#include "screenkit/localization.h"
#include "ui/adapters/model_adapter.h"

namespace corvane::ui {

inline QString qs(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A visible text: the English key through the model's localisation table.
inline QString localised(const screenkit::Localization& locale, std::string_view english) {
  return qs(locale.text(english));
}

// An optional text: the localised text, or empty when the model shows none.
inline QString localisedIf(const screenkit::Localization& locale,
                         std::optional<std::string_view> english) {
  return english ? localised(locale, *english) : QString();
}

// A model's table of fixed texts, each a field under its name, in the model's language. The
// language does not change while a screen is shown, so each is looked up once.
template <std::size_t N>
void addTexts(ModelAdapter& adapter, const screenkit::Localization& locale,
              const screenkit::NamedText (&texts)[N]) {
  for (const auto& named : texts) {
    const QString shown = localised(locale, named.english);
    adapter.addField(qs(named.name), [shown] { return shown; });
  }
}

inline std::string text(const QVariant& value) { return value.toString().toStdString(); }

// The adapter follows the model's "changed". The model may outlive the adapter (a screen
// stays while QML drops and re-makes its view), so the listener holds the adapter weakly.
template <typename Model>
void follow(ModelAdapter& adapter, Model& model) {
  model.addChangeListener([target = QPointer<ModelAdapter>(&adapter)] {
    if (target) target->refresh();
  });
}

}  // namespace corvane::ui
