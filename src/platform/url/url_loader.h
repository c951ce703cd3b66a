#pragma once
// Data tasks over HTTP(S), the stand-in for the platform's shared URL session. A task is
// started and the call returns at once; its completion runs later, exactly once, on the
// loader's own callback queue — never on the caller's thread and never on the main loop.
// Transport failures arrive as Error values in the "URLError" domain.
#include <functional>

#include "platform/core/result.h"
#include "platform/url/url_request.h"
#include "platform/url/url_response.h"

namespace corvane::platform {

// Domain of transport errors; the code is the libcurl result code.
inline constexpr const char* kUrlErrorDomain = "URLError";

class UrlLoader {
 public:
  using Completion = std::function<void(Result<UrlResponse>)>;

  virtual ~UrlLoader() = default;
  virtual void dataTask(UrlRequest request, Completion completion) = 0;
  // Runs `task` on the callback queue, in order with the completions: for a caller that must
  // report an outcome without sending anything and keeps the "completions never run on the
  // caller's thread" promise.
  virtual void async(std::function<void()> task) = 0;
};

}  // namespace corvane::platform
