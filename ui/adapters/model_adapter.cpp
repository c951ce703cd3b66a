#include "ui/adapters/model_adapter.h"

#include <QDebug>

namespace corvane::ui {

ModelAdapter::ModelAdapter(QObject* parent) : QQmlPropertyMap(this, parent) {}

ModelAdapter::~ModelAdapter() { detach(); }

void ModelAdapter::detach() {
  if (detached_) return;
  detached_ = true;
  for (Child& child : children_) {
    if (child.adapter != nullptr) child.adapter->detach();
  }
  if (detach_) detach_();
  detach_ = nullptr;
}

void ModelAdapter::addField(const QString& name, Reader read) {
  set(name, read());
  fields_.emplace_back(name, std::move(read));
}

void ModelAdapter::addInput(const QString& name, Reader read, Writer write) {
  writers_.emplace(name, std::move(write));
  addField(name, std::move(read));
}

void ModelAdapter::addAction(const QString& name, Action action) {
  actions_.emplace(name, std::move(action));
}

void ModelAdapter::addChild(const QString& name, ChildIdentity identity, ChildFactory make) {
  children_.push_back(Child{name, std::move(identity), std::move(make)});
  set(name, QVariant::fromValue<QObject*>(nullptr));
  refresh();
}

void ModelAdapter::set(const QString& name, const QVariant& value) {
  if (!contains(name) || this->value(name) != value) insert(name, value);
}

void ModelAdapter::refresh() {
  // A child's refresh can make its parent's model report "changed" again; one pass at a
  // time is enough, since every pass reads everything.
  if (refreshing_ || detached_) return;
  refreshing_ = true;
  for (const auto& [name, read] : fields_) set(name, read());
  for (Child& child : children_) {
    const void* shown = child.identity();
    if (shown == child.shown) continue;
    if (child.adapter != nullptr) {
      // The old child model is on its way out. QML may still be evaluating a binding that
      // holds its adapter, so the adapter stays readable (frozen) and goes later.
      child.adapter->detach();
      child.adapter->setParent(nullptr);
      child.adapter->deleteLater();
      child.adapter = nullptr;
    }
    child.shown = shown;
    if (shown != nullptr) {
      child.adapter = child.make().release();
      child.adapter->setParent(this);
    }
    set(child.name, QVariant::fromValue<QObject*>(child.adapter));
  }
  refreshing_ = false;
  emit changed();
}

void ModelAdapter::act(const QString& name, const QVariantList& args) {
  if (detached_) return;  // a tap that raced the screen's removal
  auto it = actions_.find(name);
  if (it == actions_.end()) {
    qWarning() << "no action" << name << "on this screen";
    return;
  }
  it->second(args);
}

bool ModelAdapter::hasAction(const QString& name) const { return actions_.count(name) != 0; }

QVariant ModelAdapter::updateValue(const QString& key, const QVariant& input) {
  auto it = writers_.find(key);
  if (detached_) return value(key);
  if (it == writers_.end()) {
    qWarning() << "property" << key << "is read-only";
    return value(key);
  }
  it->second(input);
  // What the model made of it (a setter may refuse or normalise the text).
  for (const auto& [name, read] : fields_) {
    if (name == key) return read();
  }
  return input;
}

}  // namespace corvane::ui
