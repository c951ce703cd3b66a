#include "daemon/dns/resolved_dns.h"

#include <arpa/inet.h>
#include <fmt/format.h>
#include <net/if.h>

#include <cerrno>
#include <fstream>
#include <sstream>

#include "daemon/dns/resolved_bus.h"

namespace corvane::daemon::dns {
namespace {

constexpr const char* kDomain = "Dns";
// A resolv.conf is a few hundred bytes; reading stops after this many lines.
constexpr int kMaxLines = 1000;

Result<ResolvedBus::Server> busServer(const std::string& text) {
  ResolvedBus::Server server;
  unsigned char bytes[16];
  if (inet_pton(AF_INET, text.c_str(), bytes) == 1) {
    server.address.assign(bytes, bytes + 4);
  } else if (inet_pton(AF_INET6, text.c_str(), bytes) == 1) {
    server.family = AF_INET6;
    server.address.assign(bytes, bytes + 16);
  } else {
    return Error(kDomain, EINVAL, fmt::format("DNS server `{}' is not an address", text));
  }
  return server;
}

}  // namespace

bool ResolvedDns::pointsAtStub(const std::filesystem::path& resolvConf) {
  std::error_code error;
  if (std::filesystem::is_symlink(resolvConf, error)) {
    return std::filesystem::read_symlink(resolvConf, error).string().find("run/systemd/resolve/") != std::string::npos;
  }
  std::ifstream file(resolvConf);
  std::string line;
  int servers = 0;
  for (int n = 0; n < kMaxLines && std::getline(file, line); ++n) {
    std::istringstream words(line);
    std::string keyword, address;
    if (!(words >> keyword >> address) || keyword != "nameserver") continue;
    if (address != "127.0.0.53" && address != "127.0.0.54") return false;
    ++servers;
  }
  return servers > 0;
}

bool ResolvedDns::managesResolver(const std::filesystem::path& resolvConf) {
  if (!pointsAtStub(resolvConf)) return false;
  auto bus = ResolvedBus::openSystem();
  return bus && bus->running();
}

Result<void> ResolvedDns::apply(const DnsSettings& settings) {
  if (settings.servers.empty()) return Result<void>::success();
  if (settings.interfaceName.empty()) {
    return Error(kDomain, 0, "systemd-resolved takes DNS servers per link, and this tunnel has no link");
  }
  std::vector<ResolvedBus::Server> servers;
  for (const auto& text : settings.servers) {
    auto server = busServer(text);
    if (!server) return server.error();
    servers.push_back(std::move(*server));
  }
  const int index = static_cast<int>(if_nametoindex(settings.interfaceName.c_str()));
  if (index == 0) return Error(kDomain, errno, fmt::format("no link named {} to give DNS servers", settings.interfaceName));
  std::vector<ResolvedBus::Domain> domains = {{".", true}};
  for (const auto& search : settings.searchDomains) domains.push_back({search, false});

  auto bus = ResolvedBus::openSystem();
  if (!bus) return bus.error();
  auto done = bus->setLinkDns(index, servers);
  if (done) done = bus->setLinkDomains(index, domains);
  if (done) done = bus->setLinkDefaultRoute(index, true);
  if (!done) {
    // Half a configuration (servers without "~.") would send only some queries to the tunnel.
    (void)bus->revertLink(index);
    return done;
  }
  interface_ = settings.interfaceName;
  linkIndex_ = index;
  return Result<void>::success();
}

Result<void> ResolvedDns::restore() {
  if (interface_.empty()) return Result<void>::success();
  // The link usually goes before this (the engine deletes it), and resolved drops its settings
  // with it. Its index may since name another link, whose settings are not ours to revert.
  const bool sameLink = static_cast<int>(if_nametoindex(interface_.c_str())) == linkIndex_;
  Result<void> done = Result<void>::success();
  if (sameLink) {
    auto bus = ResolvedBus::openSystem();
    done = bus ? bus->revertLink(linkIndex_) : Result<void>(bus.error());
  }
  if (done) {
    interface_.clear();
    linkIndex_ = 0;
  }
  return done;
}

}  // namespace corvane::daemon::dns
