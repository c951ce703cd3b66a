#pragma once
// The one bridge between a screen model and QML. A screen's binding (one small table per
// screen) registers its fields, inputs, actions and child screens here; the adapter turns
// them into QML properties, one invokable and one signal:
//
//   field  → a read-only property, re-read after every "changed" of the model
//   input  → a property QML may assign (a text field), routed to the model's setter
//   action → act("name", args...) from QML
//   child  → a property holding the child screen's own adapter while the model shows it
//
// The adapter holds no behaviour of its own: every value is read from the model, every
// assignment and tap goes to the model.
#include <QQmlPropertyMap>
#include <QVariant>

#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

namespace corvane::ui {

class ModelAdapter : public QQmlPropertyMap {
  Q_OBJECT

 public:
  using Reader = std::function<QVariant()>;
  using Writer = std::function<void(const QVariant&)>;
  using Action = std::function<void(const QVariantList&)>;
  // The identity of the child model shown now (null when none) and how to bind a new one.
  using ChildIdentity = std::function<const void*()>;
  using ChildFactory = std::function<std::unique_ptr<ModelAdapter>()>;

  explicit ModelAdapter(QObject* parent = nullptr);
  ~ModelAdapter() override;

  void addField(const QString& name, Reader read);
  void addInput(const QString& name, Reader read, Writer write);
  void addAction(const QString& name, Action action);
  void addChild(const QString& name, ChildIdentity identity, ChildFactory make);
  // Called once when the adapter lets go of its model: removes its listener from it.
  void setDetach(std::function<void()> detach) { detach_ = std::move(detach); }
  // Lets go of the model now (it is about to be destroyed): no more reads, no more actions.
  void detach();

  // Re-reads every field and child. Properties whose value did not change emit nothing, so
  // QML re-evaluates only the bindings that depend on what changed.
  void refresh();

  // A tap or a submit in QML. Unknown names are a programming error in a QML file: logged
  // with the name, and ignored.
  Q_INVOKABLE void act(const QString& name, const QVariantList& args = {});
  Q_INVOKABLE bool hasAction(const QString& name) const;

 signals:
  void changed();

 protected:
  QVariant updateValue(const QString& key, const QVariant& input) override;

 private:
  struct Child {
    QString name;
    ChildIdentity identity;
    ChildFactory make;
    const void* shown = nullptr;
    ModelAdapter* adapter = nullptr;
  };

  void set(const QString& name, const QVariant& value);

  std::vector<std::pair<QString, Reader>> fields_;
  std::unordered_map<QString, Writer> writers_;
  std::unordered_map<QString, Action> actions_;
  std::vector<Child> children_;
  std::function<void()> detach_;
  bool refreshing_ = false;
  bool detached_ = false;
};

}  // namespace corvane::ui
