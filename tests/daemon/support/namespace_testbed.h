#pragma once
// Two namespaces joined by a veth pair ("vc" in the client, "vs" in the server), the base of
// the engines' testbeds:
//   client  PREFIX.2/24 and V6PREFIX::2/64, default routes via the server; the daemon runs here
//   server  PREFIX.1/24 and V6PREFIX::1/64, with an HTTP echo on PREFIX.1:80 (the probe page)
// A testbed adds the engine's server side. Everything is torn down when the testbed goes,
// processes before namespaces.
#include <sys/types.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "daemon/support/net_namespace.h"
#include "platform/process/process.h"

namespace corvane::daemon::testing {

class NamespaceTestbed {
 public:
  // The addresses of one testbed kind; kinds differ so their runs never mix up.
  struct Layout {
    std::string ipv4Prefix;      // "192.168.77"
    std::string ipv6Prefix;      // "fd77:"
    std::string resolvConf;      // both namespaces' resolv.conf
    std::string interfaceStem;   // the daemon's interface prefix, before the pid
  };

  virtual ~NamespaceTestbed();
  NamespaceTestbed(const NamespaceTestbed&) = delete;
  NamespaceTestbed& operator=(const NamespaceTestbed&) = delete;

  const NetNamespace& client() const { return *client_; }
  const NetNamespace& server() const { return *server_; }
  const std::filesystem::path& scratch() const { return scratch_; }
  std::string socketPath() const { return (scratch_ / "state" / "run" / "tunneld.sock").string(); }
  std::string clientInterface() const { return interfacePrefix_ + "0"; }
  std::string serverAddress() const { return layout_.ipv4Prefix + ".1"; }
  std::string clientAddress() const { return layout_.ipv4Prefix + ".2"; }
  std::string serverAddress6() const { return layout_.ipv6Prefix + ":1"; }
  std::string clientAddress6() const { return layout_.ipv6Prefix + ":2"; }
  const std::string& resolvConf() const { return layout_.resolvConf; }

  // Writes `content` to a 0600 file in the scratch folder and returns its path.
  std::string writeFile(const std::string& name, const std::string& content) const;
  // Starts a program in the server (or client) namespace, its output going to a log file.
  bool startServer(std::vector<std::string> argv);
  bool startClientProgram(std::vector<std::string> argv);
  // Starts the HTTP echo on `port` of `addresses` in the namespace and waits until it listens.
  bool startEcho(const NetNamespace& netns, const std::string& port, const std::vector<std::string>& addresses);

  // Starts corvane-tunneld in the client namespace (extra "NAME=value" environment entries).
  bool startDaemon(const std::vector<std::string>& extraEnvironment = {});
  // Words put before the daemon's program (after `ip netns exec`), such as an nsenter into a
  // mount namespace a test made; they apply to every later startDaemon.
  void setDaemonLauncher(std::vector<std::string> words) { daemonLauncher_ = std::move(words); }
  // Sends `signal` to the daemon and reaps it; true when it ended cleanly (exit 0).
  bool stopDaemon(int signal);
  std::string daemonLog() const;
  // The pid of the daemon's child running `program`, or 0.
  pid_t engineProcess(const std::string& program) const;

  static std::filesystem::path binDir();

 protected:
  explicit NamespaceTestbed(Layout layout) : layout_(std::move(layout)) {}
  // Root and the programs the testbed needs; false with `whyNot` set otherwise.
  static bool machineCanRun(const std::vector<std::string>& programs, std::string* whyNot);
  // The namespaces, the veth pair, the routes and the probe page.
  bool wire(std::string* whyNot);
  // Starts a program in a namespace: output piped, or to `outFd` when given.
  static std::optional<platform::Process> startIn(const std::string& netns, std::vector<std::string> argv,
                                                  std::vector<std::string> environment = {}, int outFd = -1);
  const std::string& interfacePrefix() const { return interfacePrefix_; }
  // Keeps a started process with the testbed's others, stopped before the namespaces go.
  void adopt(platform::Process process) { processes_.push_back(std::move(process)); }
  // Stops the testbed's processes (the daemon first); subclasses call it before their own
  // teardown so that nothing runs in a namespace while it goes.
  void stopProcesses();
  // Entries every startDaemon gives the daemon before its extra ones (which win).
  std::vector<std::string> daemonEnvironment_;

 private:
  bool startLogged(const std::string& netns, std::vector<std::string> argv);

  Layout layout_;
  std::filesystem::path scratch_;
  std::unique_ptr<NetNamespace> server_;
  std::unique_ptr<NetNamespace> client_;
  std::string interfacePrefix_;
  std::vector<platform::Process> processes_;
  std::optional<platform::Process> daemon_;
  std::vector<std::string> daemonLauncher_;
};

}  // namespace corvane::daemon::testing
