#pragma once
// A UrlLoader that counts the data tasks still running, so a command can wait for requests
// that report to nobody (the log-out's offline report) before the process ends.
#include <atomic>
#include <functional>

#include "platform/url/url_loader.h"

namespace corvane::platform {

class TrackingUrlLoader final : public UrlLoader {
 public:
  // `wake` runs after each task ends, so a loop waiting on inFlight() checks again.
  TrackingUrlLoader(UrlLoader& inner, std::function<void()> wake)
      : inner_(inner), wake_(std::move(wake)) {}

  void dataTask(UrlRequest request, Completion completion) override {
    ++inFlight_;
    inner_.dataTask(std::move(request),
                    [this, completion = std::move(completion)](Result<UrlResponse> r) {
                      completion(std::move(r));
                      --inFlight_;
                      if (wake_) wake_();
                    });
  }
  void async(std::function<void()> task) override { inner_.async(std::move(task)); }

  int inFlight() const { return inFlight_.load(); }

 private:
  UrlLoader& inner_;
  std::function<void()> wake_;
  std::atomic<int> inFlight_{0};
};

}  // namespace corvane::platform
