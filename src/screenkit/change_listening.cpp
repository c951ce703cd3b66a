#include "screenkit/change_listening.h"

#include "screenkit/screen_model.h"

namespace corvane::screenkit {

ChangeListening& ChangeListening::operator=(ChangeListening&& other) noexcept {
  if (this == &other) return *this;
  reset();
  model_ = std::exchange(other.model_, nullptr);
  modelAlive_ = std::move(other.modelAlive_);
  id_ = other.id_;
  return *this;
}

void ChangeListening::reset() {
  if (model_ != nullptr && !modelAlive_.expired()) model_->removeChangeListener(id_);
  model_ = nullptr;
  modelAlive_.reset();
}

}  // namespace corvane::screenkit
