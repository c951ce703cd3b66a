#pragma once
// GLib's asynchronous calls, each bounded by a time-out, on a private main context.
//
// The synchronous libsecret calls wait on D-Bus's own time-out (25 s) at best, and forever
// when a keyring accepts a call and never answers it. Here every call is started on a
// GMainContext of our own and that context alone is run until the call completes or its
// time-out passes; then the call is cancelled, and if it still does not complete within a
// short grace, abandoned (its late answer is dropped safely on a later turn of the context).
// No other thread's loop is involved, so a front end's main loop never runs our callbacks.
//
// One owner at a time: the owner serialises its calls.
#include <gio/gio.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace corvane::platform::secretservice {

struct GObjectUnref {
  void operator()(gpointer object) const {
    if (object != nullptr) g_object_unref(object);
  }
};
template <typename T>
using GObjectPtr = std::unique_ptr<T, GObjectUnref>;

struct GErrorFree {
  void operator()(GError* error) const {
    if (error != nullptr) g_error_free(error);
  }
};
using GErrorPtr = std::unique_ptr<GError, GErrorFree>;

struct GHashTableUnref {
  void operator()(GHashTable* table) const {
    if (table != nullptr) g_hash_table_unref(table);
  }
};
using GHashTablePtr = std::unique_ptr<GHashTable, GHashTableUnref>;

class BoundedCalls {
 public:
  using Start = std::function<void(GCancellable*, GAsyncReadyCallback, gpointer)>;

  BoundedCalls();
  ~BoundedCalls();
  BoundedCalls(const BoundedCalls&) = delete;
  BoundedCalls& operator=(const BoundedCalls&) = delete;

  // Starts the call with `start(cancellable, callback, data)` while the private context is
  // this thread's default, and runs that context until the call completes. The result is
  // for the call's _finish function; it reports G_IO_ERROR_CANCELLED when the time-out
  // cancelled the call. Null when the call did not complete even after cancelling.
  GObjectPtr<GAsyncResult> run(const Start& start, std::chrono::milliseconds timeout);

  // Runs whatever the context holds now (late answers, signal deliveries), without waiting.
  void drain();

 private:
  GMainContext* context_;
};

// "<message>", or "no answer within N ms" for a call the time-out cancelled.
std::string describe(const GError* error, std::chrono::milliseconds timeout);

}  // namespace corvane::platform::secretservice
