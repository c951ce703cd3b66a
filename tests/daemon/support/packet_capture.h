#pragma once
// tcpdump on one interface of a namespace, IPv4 and IPv6 only (ARP is not traffic that
// leaves to anyone). Lines come back once the capture stops. Immediate mode: without it
// libpcap hands packets over in blocks, and those of the last block are lost at SIGINT.
#include <optional>
#include <string>
#include <vector>

#include "platform/process/process.h"

namespace corvane::daemon::testing {

class PacketCapture {
 public:
  // Starts and waits until tcpdump listens; ok() is false when it could not. `outgoingOnly`:
  // only packets this namespace sends (what arrives is captured before any firewall sees it).
  PacketCapture(const std::string& netns, const std::string& interfaceName, bool outgoingOnly = false);
  ~PacketCapture();
  bool ok() const { return listening_; }
  // Stops the capture and returns one line per packet.
  std::vector<std::string> stop();

 private:
  std::optional<platform::Process> process_;
  bool listening_ = false;
};

}  // namespace corvane::daemon::testing
