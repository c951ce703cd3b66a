#include "platform/mainloop/asio/global_queue.h"

#include <asio/post.hpp>
#include <asio/steady_timer.hpp>

#include <algorithm>
#include <memory>
#include <thread>

namespace corvane::platform {

GlobalQueue::GlobalQueue(std::size_t threads)
    : threads_(std::max<std::size_t>(1, threads)), pool_(threads_) {}

GlobalQueue::~GlobalQueue() {
  // Without stop() the join would wait for every pending timer to expire.
  pool_.stop();
  pool_.join();
}

GlobalQueue& GlobalQueue::shared() {
  static GlobalQueue queue(std::max(1u, std::thread::hardware_concurrency()));
  return queue;
}

void GlobalQueue::async(Task task) { asio::post(pool_, std::move(task)); }

void GlobalQueue::asyncAfter(Duration delay, Task task) {
  // The timer keeps itself alive through its own handler until it fires or the pool goes.
  auto timer = std::make_shared<asio::steady_timer>(pool_.get_executor(), delay);
  timer->async_wait([timer, task = std::move(task)](const asio::error_code& ec) {
    if (!ec) {
      task();
    }
  });
}

}  // namespace corvane::platform
