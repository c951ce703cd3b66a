#include "platform/mainloop/task_gate.h"

namespace corvane::platform {

Task TaskGate::wrap(Task task) const {
  return [state = state_, task = std::move(task)] {
    {
      std::lock_guard lock(state->mutex);
      if (state->closed) {
        return;
      }
      ++state->running;
    }
    struct Leave {
      State& state;
      ~Leave() {
        std::lock_guard lock(state.mutex);
        --state.running;
        state.idle.notify_all();
      }
    } leave{*state};
    task();
  };
}

void TaskGate::close(bool waitForRunning) {
  std::unique_lock lock(state_->mutex);
  state_->closed = true;
  if (waitForRunning) {
    state_->idle.wait(lock, [this] { return state_->running == 0; });
  }
}

}  // namespace corvane::platform
