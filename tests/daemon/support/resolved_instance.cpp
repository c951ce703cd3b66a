#include "daemon/support/resolved_instance.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "daemon/dns/resolved_bus.h"
#include "daemon/support/command.h"
#include "daemon/support/namespace_testbed.h"

namespace corvane::daemon::testing {
namespace {

using namespace std::chrono_literals;

constexpr const char* kService = "org.freedesktop.resolve1";
constexpr const char* kUnprivileged = "65534";  // nobody: resolved needs no user of its own when not started as root
constexpr const char* kCapabilities = "+setpcap,+net_raw,+net_bind_service";

// The whole system bus policy: resolved may take its name, anyone may call anyone.
constexpr const char* kBusConfig = R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-BUS Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:path=/run/dbus/system_bus_socket</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow own="org.freedesktop.resolve1"/>
    <allow send_destination="*"/>
    <allow receive_sender="*"/>
  </policy>
</busconfig>
)";

// Runs as root in the new mount namespace: a fresh /run (mount -n, so not even the machine's
// /run/mount is written), resolved's folder for its user, resolved's binary and library copied
// where that user may run them (the build tree may sit in a folder it cannot enter), then the bus.
constexpr const char* kMountScript = R"(set -e
mount -n -t tmpfs -o mode=0755 corvane-run /run
mkdir -p /run/dbus /run/systemd/resolve /run/corvane-resolved
chown 65534:65534 /run/systemd/resolve
cp "$1/lib/systemd/systemd-resolved" "$1"/usr/lib/*/systemd/libsystemd-shared-*.so /run/corvane-resolved/
exec dbus-daemon --config-file="$2" --nofork --nopidfile --print-address
)";

// The unpacked package, fetched on first use (the download is cached by install-deps).
std::optional<std::filesystem::path> unpackedTree(std::string* whyNot) {
  static std::optional<std::filesystem::path> tree;
  static std::string failure;
  if (tree || !failure.empty()) return *whyNot = failure, tree;
  const auto bin = NamespaceTestbed::binDir();
  const auto dest = bin.parent_path() / "systemd-resolved";
  auto fetched = run({"bash", (bin / "fetch-systemd-resolved").string(), dest.string()}, {}, 240);
  if (fetched.ok && std::filesystem::exists(dest / "lib/systemd/systemd-resolved")) {
    tree = dest;
  } else {
    failure = "needs systemd-resolved from Debian's archive (scripts/fetch-systemd-resolved failed: " +
              fetched.err.substr(0, 300) + ")";
  }
  *whyNot = failure;
  return tree;
}

std::optional<platform::Process> startIn(const std::string& netns, std::vector<std::string> argv,
                                         std::vector<std::string> environment, bool pipeOut, int logFd) {
  platform::ProcessOptions options;
  options.argv = {"ip", "netns", "exec", netns};
  options.argv.insert(options.argv.end(), argv.begin(), argv.end());
  if (!environment.empty()) {
    std::vector<std::string> env = {"PATH=/usr/sbin:/usr/bin:/sbin:/bin"};
    env.insert(env.end(), environment.begin(), environment.end());
    options.environment = env;
  }
  options.stdoutStream = pipeOut ? platform::ChildStream::piped() : platform::ChildStream::from(logFd);
  options.stderrStream = platform::ChildStream::from(logFd);
  auto process = platform::Process::start(std::move(options));
  if (!process) return std::nullopt;
  return std::move(*process);
}

struct BusDeleter {
  void operator()(sd_bus* bus) const { sd_bus_flush_close_unref(bus); }
};

std::unique_ptr<sd_bus, BusDeleter> connect(const std::string& address) {
  sd_bus* bus = nullptr;
  if (sd_bus_new(&bus) < 0) return nullptr;
  std::unique_ptr<sd_bus, BusDeleter> owned(bus);
  if (sd_bus_set_address(bus, address.c_str()) < 0 || sd_bus_set_bus_client(bus, 1) < 0 || sd_bus_start(bus) < 0) {
    return nullptr;
  }
  return owned;
}

}  // namespace

std::unique_ptr<ResolvedInstance> ResolvedInstance::start(const NetNamespace& netns, const std::filesystem::path& scratch,
                                                          std::string* whyNot) {
  for (const char* program : {"dbus-daemon", "unshare", "nsenter", "setpriv", "getent"}) {
    if (!haveProgram(program)) return *whyNot = std::string("needs ") + program, nullptr;
  }
  auto tree = unpackedTree(whyNot);
  if (!tree) return nullptr;
  std::unique_ptr<ResolvedInstance> instance(new ResolvedInstance());
  instance->logPath_ = scratch / "resolved.log";
  std::ofstream(scratch / "resolved-bus.conf") << kBusConfig;
  // As on a host where resolved is the resolver; `ip netns exec` mounts it over /etc/resolv.conf.
  std::ofstream(netns.resolvConfPath()) << "nameserver 127.0.0.53\noptions timeout:2 attempts:1\n";
  if (!instance->launch(netns, *tree, whyNot)) {
    *whyNot += "\n" + instance->log();
    return nullptr;
  }
  return instance;
}

bool ResolvedInstance::launch(const NetNamespace& netns, const std::filesystem::path& tree, std::string* whyNot) {
  int log = open(logPath_.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
  bus_ = startIn(netns.name(),
                 {"unshare", "--mount", "--propagation", "private", "--", "sh", "-c", kMountScript, "sh", tree.string(),
                  (logPath_.parent_path() / "resolved-bus.conf").string()},
                 {}, true, log);
  auto address = bus_ ? bus_->readLine(platform::Process::Stream::out, 10s) : std::nullopt;
  if (!address || address->rfind("unix:", 0) != 0) {
    close(log);
    return *whyNot = "the private system bus did not start", false;
  }
  resolved_ = startIn(netns.name(),
                      {"nsenter", "--mount=/proc/" + std::to_string(bus_->pid()) + "/ns/mnt", "--", "setpriv",
                       std::string("--reuid=") + kUnprivileged, std::string("--regid=") + kUnprivileged, "--clear-groups",
                       std::string("--inh-caps=") + kCapabilities, std::string("--ambient-caps=") + kCapabilities,
                       "/run/corvane-resolved/systemd-resolved"},
                      {"LD_LIBRARY_PATH=/run/corvane-resolved", "SYSTEMD_LOG_LEVEL=debug", "SYSTEMD_LOG_TARGET=console"},
                      false, log);
  close(log);
  if (!resolved_) return *whyNot = "systemd-resolved did not start", false;
  // Ready once it holds its name on the bus (its stub listens before that).
  for (int attempt = 0; attempt < 100; ++attempt) {
    auto bus = dns::ResolvedBus::open(busAddress());
    if (bus && bus->running()) return true;
    if (!resolved_->running()) break;
    std::this_thread::sleep_for(100ms);
  }
  return *whyNot = "systemd-resolved did not take its name on the bus", false;
}

ResolvedInstance::~ResolvedInstance() {
  if (resolved_) (void)resolved_->stop(2s);
  // The bus holds the mount namespace: with it gone, so is the private /run.
  if (bus_) (void)bus_->stop(2s);
}

std::vector<std::string> ResolvedInstance::enter() const {
  return {"nsenter", "--mount=/proc/" + std::to_string(bus_->pid()) + "/ns/mnt", "--"};
}

std::string ResolvedInstance::busAddress() const {
  return "unix:path=/proc/" + std::to_string(bus_->pid()) + "/root/run/dbus/system_bus_socket";
}

std::optional<ResolvedInstance::LinkDns> ResolvedInstance::link(int index) const {
  auto bus = connect(busAddress());
  if (!bus) return std::nullopt;
  sd_bus_message* reply = nullptr;
  const char* path = nullptr;
  int r = sd_bus_call_method(bus.get(), kService, "/org/freedesktop/resolve1", "org.freedesktop.resolve1.Manager",
                             "GetLink", nullptr, &reply, "i", index);
  std::string linkPath = r >= 0 && sd_bus_message_read(reply, "o", &path) >= 0 ? path : "";
  sd_bus_message_unref(reply);
  if (linkPath.empty()) return std::nullopt;
  constexpr const char* kLink = "org.freedesktop.resolve1.Link";

  LinkDns dns;
  reply = nullptr;
  if (sd_bus_get_property(bus.get(), kService, linkPath.c_str(), kLink, "DNS", nullptr, &reply, "a(iay)") >= 0 &&
      sd_bus_message_enter_container(reply, 'a', "(iay)") > 0) {
    while (sd_bus_message_enter_container(reply, 'r', "iay") > 0) {
      int family = 0;
      const void* bytes = nullptr;
      std::size_t size = 0;
      char text[INET6_ADDRSTRLEN] = {};
      if (sd_bus_message_read(reply, "i", &family) >= 0 && sd_bus_message_read_array(reply, 'y', &bytes, &size) >= 0 &&
          inet_ntop(family, bytes, text, sizeof text)) {
        dns.servers.emplace_back(text);
      }
      sd_bus_message_exit_container(reply);
    }
  }
  sd_bus_message_unref(reply);
  reply = nullptr;
  if (sd_bus_get_property(bus.get(), kService, linkPath.c_str(), kLink, "Domains", nullptr, &reply, "a(sb)") >= 0 &&
      sd_bus_message_enter_container(reply, 'a', "(sb)") > 0) {
    const char* name = nullptr;
    int routingOnly = 0;
    while (sd_bus_message_read(reply, "(sb)", &name, &routingOnly) > 0) {
      dns.domains.push_back((routingOnly ? "~" : "") + std::string(name));
    }
  }
  sd_bus_message_unref(reply);
  int defaultRoute = 0;
  if (sd_bus_get_property_trivial(bus.get(), kService, linkPath.c_str(), kLink, "DefaultRoute", nullptr, 'b',
                                  &defaultRoute) >= 0) {
    dns.defaultRoute = defaultRoute != 0;
  }
  return dns;
}

bool ResolvedInstance::setLinkServers(int index, const std::vector<std::string>& servers) const {
  auto bus = dns::ResolvedBus::open(busAddress());
  if (!bus) return false;
  std::vector<dns::ResolvedBus::Server> list;
  for (const auto& text : servers) {
    dns::ResolvedBus::Server server;
    server.address.resize(4);
    if (inet_pton(AF_INET, text.c_str(), server.address.data()) != 1) return false;
    list.push_back(server);
  }
  return bus->setLinkDns(index, list).ok();
}

std::string ResolvedInstance::log() const {
  std::ifstream file(logPath_);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

int ResolvedInstance::linkIndex(const std::string& netns, const std::string& link) {
  // "7: corvane0: <POINTOPOINT,...": the index comes first.
  auto shown = run({"ip", "-n", netns, "-o", "link", "show", "dev", link});
  return shown.ok ? std::atoi(shown.out.c_str()) : 0;
}

std::string ResolvedInstance::lookUp(const std::string& netns, const std::string& name) {
  auto found = runIn(netns, {"getent", "ahostsv4", name});
  if (!found.ok) return {};
  return found.out.substr(0, found.out.find_first_of(" \t\n"));
}

}  // namespace corvane::daemon::testing
