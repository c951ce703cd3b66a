#pragma once
// What every screen model shares: the injected services, the "changed" report that a
// drawing layer (the QML adapter, the CLI) listens to, and the way completions reach the
// main loop. A model lives on the main loop; completions from the loader's queue and timers
// are moved there through onMainLoop/after, and dropped when the model is gone by then.
#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "screenkit/change_listening.h"
#include "screenkit/services.h"

namespace corvane::screenkit {

class ScreenModel {
 public:
  explicit ScreenModel(Services services)
      : services_(std::move(services)), alive_(std::make_shared<int>(0)) {}
  // The lifetime ends first, so listener registrations held elsewhere stop reaching in.
  virtual ~ScreenModel() { alive_.reset(); }
  ScreenModel(const ScreenModel&) = delete;
  ScreenModel& operator=(const ScreenModel&) = delete;

  using ListenerId = std::uint64_t;

  // Called on the main loop after every action and every completion the model handled, until
  // removed by the returned id.
  ListenerId addChangeListener(std::function<void()> listener) {
    const ListenerId id = nextListener_++;
    listeners_.emplace_back(id, std::make_shared<std::function<void()>>(std::move(listener)));
    return id;
  }
  // Ids that are unknown or already removed are ignored.
  void removeChangeListener(ListenerId id) {
    std::erase_if(listeners_, [id](const auto& entry) { return entry.first == id; });
  }
  // The same, removed when the registration goes (a view holds it for its own lifetime).
  [[nodiscard]] ChangeListening listenForChanges(std::function<void()> listener) {
    return ChangeListening(*this, alive_, addChangeListener(std::move(listener)));
  }
  void clearChangeListeners() { listeners_.clear(); }

 protected:
  void changed() {
    // A listener may add or remove listeners, or destroy this model: each one is called only
    // if it is still registered when its turn comes, and none once the model is gone.
    const auto snapshot = listeners_;
    const std::weak_ptr<int> alive = alive_;
    for (const auto& [id, listener] : snapshot) {
      if (alive.expired()) return;
      const bool registered = std::any_of(listeners_.begin(), listeners_.end(),
                                          [id = id](const auto& entry) { return entry.first == id; });
      if (registered) (*listener)();
    }
  }

  // Stores what was typed into one of the model's input fields and reports "changed" when the
  // value differs. Returns whether it did.
  template <typename Field, typename Value>
  bool setField(Field& field, Value&& value) {
    if (field == value) return false;
    field = std::forward<Value>(value);
    changed();
    return true;
  }

  // Runs `task` on the main loop, unless the model has been destroyed by then. Safe from any
  // thread (the loader's callback queue in particular).
  void onMainLoop(platform::Task task) {
    services_.mainLoop.post(guarded(std::move(task)));
  }
  // Runs `task` on the main loop `delay` from now, unless the model is gone by then.
  platform::TimerId after(platform::Duration delay, platform::Task task) {
    return services_.mainLoop.postAfter(delay, guarded(std::move(task)));
  }

  // Watches whether the model still exists, for callbacks that hop threads on their own.
  std::weak_ptr<int> lifetime() const { return alive_; }

  // What a completion running on another thread holds instead of the model: the services
  // (they outlive every model) and the way back to the model on the main loop. The model may
  // be gone by the time the completion runs, so the completion itself never touches it; only
  // the tasks it hands to the main loop do, and they are dropped once the model is gone.
  struct Hop {
    mutable Services services;  // handles only: calling through them changes no Hop
    std::weak_ptr<int> alive;
    void operator()(platform::Task task) const {
      services.mainLoop.post([alive = alive, task = std::move(task)] {
        if (alive.lock()) task();
      });
    }
    // `task` as above, then `regardless` in the same turn whether or not the model is still
    // there: for news of what the completion already stored, which others must hear of even
    // when the screen that asked was closed meanwhile.
    void operator()(platform::Task task, platform::Task regardless) const {
      services.mainLoop.post(
          [alive = alive, task = std::move(task), regardless = std::move(regardless)] {
            if (alive.lock()) task();
            regardless();
          });
    }
  };
  Hop hop() const { return Hop{services_, alive_}; }

  Services services_;

 private:
  platform::Task guarded(platform::Task task) {
    return [alive = std::weak_ptr<int>(alive_), task = std::move(task)] {
      // Models are destroyed on the main loop too, so this check cannot race the destructor.
      if (alive.lock()) task();
    };
  }

  std::shared_ptr<int> alive_;
  std::vector<std::pair<ListenerId, std::shared_ptr<std::function<void()>>>> listeners_;
  ListenerId nextListener_ = 1;
};

// Takes a child model off screen. Its owner may be inside one of the child's own actions or
// notification handlers, so the object is destroyed on a later turn of the main loop; until
// then it is silent (no listeners) and cannot reach its former owner. Whoever tears the
// services down runs the loop once more first, so these objects go while the services exist.
template <typename Model>
void retire(platform::MainLoop& loop, std::unique_ptr<Model>& child) {
  if (!child) return;
  child->clearChangeListeners();
  std::shared_ptr<Model> doomed(std::move(child));
  loop.post([doomed]() mutable { doomed.reset(); });
}

}  // namespace corvane::screenkit
