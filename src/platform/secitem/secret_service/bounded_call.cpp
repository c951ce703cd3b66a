#include "platform/secitem/secret_service/bounded_call.h"

namespace corvane::platform::secretservice {
namespace {

// How long a cancelled call may take to report its cancellation before it is abandoned.
constexpr gint64 kGraceMicroseconds = 1'000'000;
// How often the loop wakes to look at the clock while a call is out.
constexpr guint kTickMilliseconds = 50;

// Shared by the call's callback and run(): when run() gives up first, the callback still
// finds live memory, keeps the result in it and frees both.
struct Pending {
  GAsyncResult* result = nullptr;
  ~Pending() {
    if (result != nullptr) g_object_unref(result);
  }
};

void onReady(GObject*, GAsyncResult* result, gpointer data) {
  auto* pending = static_cast<std::shared_ptr<Pending>*>(data);
  (*pending)->result = G_ASYNC_RESULT(g_object_ref(result));
  delete pending;
}

struct Clock {
  GCancellable* cancellable;
  gint64 deadline;
};

gboolean onTick(gpointer data) {
  const auto* clock = static_cast<const Clock*>(data);
  if (g_get_monotonic_time() >= clock->deadline) g_cancellable_cancel(clock->cancellable);
  return G_SOURCE_CONTINUE;
}

}  // namespace

BoundedCalls::BoundedCalls() : context_(g_main_context_new()) {}

BoundedCalls::~BoundedCalls() {
  drain();
  g_main_context_unref(context_);
}

GObjectPtr<GAsyncResult> BoundedCalls::run(const Start& start, std::chrono::milliseconds timeout) {
  g_main_context_push_thread_default(context_);
  GObjectPtr<GCancellable> cancellable(g_cancellable_new());
  auto pending = std::make_shared<Pending>();
  Clock clock{cancellable.get(), g_get_monotonic_time() + gint64{timeout.count()} * 1000};
  const gint64 giveUp = clock.deadline + kGraceMicroseconds;

  GSource* tick = g_timeout_source_new(kTickMilliseconds);
  g_source_set_callback(tick, onTick, &clock, nullptr);
  g_source_attach(tick, context_);

  start(cancellable.get(), onReady, new std::shared_ptr<Pending>(pending));
  while (pending->result == nullptr && g_get_monotonic_time() < giveUp) {
    g_main_context_iteration(context_, TRUE);
  }

  g_source_destroy(tick);
  g_source_unref(tick);
  g_main_context_pop_thread_default(context_);
  GAsyncResult* result = pending->result;
  pending->result = nullptr;
  return GObjectPtr<GAsyncResult>(result);
}

void BoundedCalls::drain() {
  g_main_context_push_thread_default(context_);
  // Bounded: each turn dispatches what is ready now and never waits.
  for (int turn = 0; turn < 100 && g_main_context_iteration(context_, FALSE); ++turn) {
  }
  g_main_context_pop_thread_default(context_);
}

std::string describe(const GError* error, std::chrono::milliseconds timeout) {
  if (error == nullptr) return "unknown failure";
  if (g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED)) {
    return "no answer within " + std::to_string(timeout.count()) + " ms";
  }
  return error->message;
}

}  // namespace corvane::platform::secretservice
