#include "screenkit/form_notice.h"

#include <algorithm>
#include <memory>

namespace corvane::screenkit {

FormNotice::FormNotice(platform::MainLoop& loop, std::function<void()> onChanged)
    : loop_(loop), onChanged_(std::move(onChanged)) {}

FormNotice::~FormNotice() {
  // A screen that goes away with a notice up must not be touched by its timers.
  for (platform::TimerId id : pending_) loop_.cancel(id);
}

void FormNotice::raise() {
  shown_ = true;
  // The id is only known after postAfter returns; the task reads it through this cell.
  auto idCell = std::make_shared<platform::TimerId>(0);
  const platform::TimerId id = loop_.postAfter(kShowFor, [this, idCell] { timerFired(*idCell); });
  *idCell = id;
  pending_.push_back(id);
}

void FormNotice::timerFired(platform::TimerId id) {
  pending_.erase(std::remove(pending_.begin(), pending_.end(), id), pending_.end());
  shown_ = false;
  if (onChanged_) onChanged_();
}

}  // namespace corvane::screenkit
