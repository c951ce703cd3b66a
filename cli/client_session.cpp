#include "client_session.h"

#include "screenkit/localization.h"

namespace corvane::cli {
namespace {

app::CompositionRoot::Options rootOptions(ClientSession::Options options, platform::AsioMainLoop& loop) {
  app::CompositionRoot::Options root;
  // The CLI keeps stderr for errors; diagnostics go to the log file only.
  root.log = platform::Log::standard("corvanectl", platform::Log::Level::error);
  root.localeIdentifier = screenkit::Localization::fromEnvironment().localeIdentifier();
  root.withLatency = options.withLatency;
  root.withTunnel = options.withTunnel;
  root.settle = [&loop] { loop.runFor(std::chrono::milliseconds(50)); };
  return root;
}

}  // namespace

ClientSession::ClientSession(Options options) : root_(loop_, rootOptions(options, loop_)) {}

bool ClientSession::runUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  return loop_.runUntil(done, limit);
}

bool ClientSession::drainRequests(std::chrono::milliseconds limit) {
  return loop_.runUntil([this] { return root_.requestsInFlight() == 0; }, limit);
}

std::vector<std::string> ClientSession::recordedUrls() {
  auto* recorder = dynamic_cast<platform::RecordingUrlOpener*>(&root_.opener());
  return recorder != nullptr ? recorder->opened() : std::vector<std::string>{};
}

}  // namespace corvane::cli
