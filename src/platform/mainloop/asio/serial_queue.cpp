#include "platform/mainloop/asio/serial_queue.h"

#include <asio/post.hpp>
#include <asio/steady_timer.hpp>

#include <memory>

namespace corvane::platform {

SerialQueue::SerialQueue(GlobalQueue& pool) : strand_(asio::make_strand(pool.executor())) {}

SerialQueue::~SerialQueue() { gate_.close(!isCurrent()); }

void SerialQueue::async(Task task) {
  // post, never dispatch: a task given from inside the queue runs after the current one.
  asio::post(strand_, gate_.wrap(std::move(task)));
}

void SerialQueue::asyncAfter(Duration delay, Task task) {
  // A timer bound to the strand completes on it, so delayed tasks stay serial too.
  auto timer = std::make_shared<asio::steady_timer>(strand_, delay);
  timer->async_wait([timer, task = gate_.wrap(std::move(task))](const asio::error_code& ec) {
    if (!ec) {
      task();
    }
  });
}

}  // namespace corvane::platform
