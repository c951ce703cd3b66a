#include "daemon/support/packet_capture.h"

#include <signal.h>

#include <chrono>

namespace corvane::daemon::testing {

using namespace std::chrono_literals;

PacketCapture::PacketCapture(const std::string& netns, const std::string& interfaceName, bool outgoingOnly) {
  platform::ProcessOptions options;
  options.argv = {"ip", "netns", "exec", netns, "tcpdump", "--immediate-mode", "-i", interfaceName, "-n", "-l"};
  if (outgoingOnly) options.argv.insert(options.argv.end(), {"-Q", "out"});
  options.argv.push_back("ip or ip6");
  options.stdoutStream = platform::ChildStream::piped();
  options.stderrStream = platform::ChildStream::piped();
  auto process = platform::Process::start(std::move(options));
  if (!process) return;
  process_.emplace(std::move(*process));
  // tcpdump says "listening on <interface>" on stderr once packets are being captured.
  for (int i = 0; i < 20; ++i) {
    auto line = process_->readLine(platform::Process::Stream::err, 500ms);
    if (line && line->find("listening on") != std::string::npos) {
      listening_ = true;
      break;
    }
  }
}

PacketCapture::~PacketCapture() {
  if (process_) (void)process_->stop(2s);
}

std::vector<std::string> PacketCapture::stop() {
  std::vector<std::string> lines;
  if (!process_) return lines;
  process_->signal(SIGINT);
  (void)process_->waitOrKill(5s);
  while (auto line = process_->readLine(platform::Process::Stream::out, 200ms)) {
    if (!line->empty()) lines.push_back(*line);
  }
  process_.reset();
  return lines;
}

}  // namespace corvane::daemon::testing
