#pragma once
// One change listener on a screen model, removed when this registration goes: what a view
// (a window delegate, a test) holds, so that a destroyed view is never called. A model that
// went first is noticed through its lifetime, and then there is nothing to remove.
#include <cstdint>
#include <memory>

namespace corvane::screenkit {

class ScreenModel;

class ChangeListening {
 public:
  ChangeListening() = default;
  ChangeListening(ScreenModel& model, std::weak_ptr<int> modelAlive, std::uint64_t id)
      : model_(&model), modelAlive_(std::move(modelAlive)), id_(id) {}
  ~ChangeListening() { reset(); }
  ChangeListening(ChangeListening&& other) noexcept { *this = std::move(other); }
  ChangeListening& operator=(ChangeListening&& other) noexcept;
  ChangeListening(const ChangeListening&) = delete;
  ChangeListening& operator=(const ChangeListening&) = delete;

  // Removes the listener now (if the model still exists); later calls do nothing.
  void reset();

 private:
  ScreenModel* model_ = nullptr;
  std::weak_ptr<int> modelAlive_;
  std::uint64_t id_ = 0;
};

}  // namespace corvane::screenkit
