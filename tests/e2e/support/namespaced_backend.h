#pragma once
// The reference backend inside a test's network namespace, on that namespace's loopback, so
// the client reaches it whatever the tunnel and the kill switch do: the demo account, the
// test's catalogue file, free ports and the loopback test listener. Stopped (and its folder
// removed with the test's scratch folder) when it goes.
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "platform/process/process.h"

namespace corvane::e2e {

class NamespacedBackend {
 public:
  static constexpr const char* kDemoUser = "demo@corvane.test";
  static constexpr const char* kDemoPassword = "corvane-demo-2026";

  // Nothing, with `whyNot` set, when it did not print READY within 20 s.
  static std::unique_ptr<NamespacedBackend> start(const std::string& netns, const std::filesystem::path& folder,
                                                  const std::string& catalogueJson, std::string* whyNot);
  ~NamespacedBackend();

  // "127.0.0.1:PORT" of the HTTPS listener (CORVANE_API_HOST) and its CA (CORVANE_CA_FILE).
  std::string apiHost() const { return "127.0.0.1:" + std::to_string(httpsPort_); }
  const std::string& caFile() const { return caFile_; }
  // GET PATH on the loopback test listener, asked from inside the namespace; empty on failure.
  std::string testGet(const std::string& path) const;
  std::string log() const;

 private:
  NamespacedBackend() = default;

  std::string netns_;
  std::filesystem::path folder_;
  std::optional<platform::Process> process_;
  int httpsPort_ = 0;
  int testPort_ = 0;
  std::string caFile_;
};

}  // namespace corvane::e2e
