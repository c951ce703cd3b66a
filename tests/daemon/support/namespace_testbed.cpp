#include "daemon/support/namespace_testbed.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>

#include "daemon/support/command.h"
#include "platform/process/process_environment.h"

namespace corvane::daemon::testing {
namespace {

using namespace std::chrono_literals;

int openLog(const std::filesystem::path& path) { return open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600); }

std::string fileText(const std::filesystem::path& path) {
  std::ifstream file(path);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

}  // namespace

std::filesystem::path NamespaceTestbed::binDir() { return std::filesystem::read_symlink("/proc/self/exe").parent_path(); }

bool NamespaceTestbed::machineCanRun(const std::vector<std::string>& programs, std::string* whyNot) {
  if (geteuid() != 0) return *whyNot = "needs root to make network namespaces", false;
  std::vector<std::string> needed = {"ip", "nft", "curl"};
  needed.insert(needed.end(), programs.begin(), programs.end());
  for (const auto& program : needed) {
    if (!haveProgram(program)) return *whyNot = "needs " + program, false;
  }
  NetNamespace::removeStale();
  return true;
}

std::optional<platform::Process> NamespaceTestbed::startIn(const std::string& netns, std::vector<std::string> argv,
                                                           std::vector<std::string> environment, int outFd) {
  platform::ProcessOptions options;
  options.argv = {"ip", "netns", "exec", netns};
  options.argv.insert(options.argv.end(), argv.begin(), argv.end());
  auto env = platform::ProcessEnvironment::current();
  for (const auto& entry : environment) {
    auto equals = entry.find('=');
    env.set(entry.substr(0, equals), entry.substr(equals + 1));
  }
  options.environment = env.entries();
  options.stdoutStream = outFd >= 0 ? platform::ChildStream::from(outFd) : platform::ChildStream::piped();
  if (outFd >= 0) options.stderrStream = platform::ChildStream::from(outFd);
  options.newProcessGroup = true;
  auto process = platform::Process::start(std::move(options));
  if (!process) return std::nullopt;
  return std::move(*process);
}

bool NamespaceTestbed::wire(std::string* whyNot) {
  char pattern[] = "/tmp/corvane-tunnel-XXXXXX";
  if (!mkdtemp(pattern)) return *whyNot = "mkdtemp failed", false;
  scratch_ = pattern;
  server_ = std::make_unique<NetNamespace>("s", layout_.resolvConf);
  client_ = std::make_unique<NetNamespace>("c", layout_.resolvConf);
  if (!server_->ok() || !client_->ok()) return *whyNot = "needs network namespaces (ip netns add failed)", false;
  interfacePrefix_ = layout_.interfaceStem + std::to_string(getpid() % 100000);
  const std::string s = server_->name();
  const std::string c = client_->name();
  bool wired = run({"ip", "-n", c, "link", "add", "vc", "type", "veth", "peer", "name", "vs", "netns", s}).ok &&
               run({"ip", "-n", c, "addr", "add", clientAddress() + "/24", "dev", "vc"}).ok &&
               run({"ip", "-n", c, "addr", "add", clientAddress6() + "/64", "dev", "vc", "nodad"}).ok &&
               run({"ip", "-n", s, "addr", "add", serverAddress() + "/24", "dev", "vs"}).ok &&
               run({"ip", "-n", s, "addr", "add", serverAddress6() + "/64", "dev", "vs", "nodad"}).ok &&
               run({"ip", "-n", c, "link", "set", "vc", "up"}).ok && run({"ip", "-n", s, "link", "set", "vs", "up"}).ok &&
               run({"ip", "-n", c, "route", "add", "default", "via", serverAddress()}).ok &&
               run({"ip", "-n", c, "-6", "route", "add", "default", "via", serverAddress6()}).ok;
  if (!wired) return *whyNot = "cannot wire the veth pair", false;
  if (!startEcho(*server_, "80", {serverAddress()})) return *whyNot = "the probe page did not start", false;
  return true;
}

bool NamespaceTestbed::startEcho(const NetNamespace& netns, const std::string& port,
                                 const std::vector<std::string>& addresses) {
  std::vector<std::string> argv = {(binDir() / "tunnel_echo_server").string(), port};
  argv.insert(argv.end(), addresses.begin(), addresses.end());
  auto process = startIn(netns.name(), std::move(argv));
  if (!process) return false;
  auto line = process->readLine(platform::Process::Stream::out, 10s);
  processes_.push_back(std::move(*process));
  return line && *line == "ready";
}

void NamespaceTestbed::stopProcesses() {
  if (daemon_) stopDaemon(SIGTERM);
  // Last started first: servers may depend on what was started before them.
  for (auto it = processes_.rbegin(); it != processes_.rend(); ++it) (void)it->stop(2s);
  processes_.clear();
}

NamespaceTestbed::~NamespaceTestbed() {
  stopProcesses();
  client_.reset();
  server_.reset();
  std::error_code ignored;
  if (!scratch_.empty()) std::filesystem::remove_all(scratch_, ignored);
}

std::string NamespaceTestbed::writeFile(const std::string& name, const std::string& content) const {
  const auto path = scratch_ / name;
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd >= 0) {
    (void)!write(fd, content.data(), content.size());
    close(fd);
  }
  return path.string();
}

bool NamespaceTestbed::startLogged(const std::string& netns, std::vector<std::string> argv) {
  int log = openLog(scratch_ / "servers.log");
  auto process = startIn(netns, std::move(argv), {}, log);
  if (log >= 0) close(log);
  if (!process) return false;
  processes_.push_back(std::move(*process));
  return true;
}

bool NamespaceTestbed::startServer(std::vector<std::string> argv) { return startLogged(server_->name(), std::move(argv)); }

bool NamespaceTestbed::startClientProgram(std::vector<std::string> argv) {
  return startLogged(client_->name(), std::move(argv));
}

bool NamespaceTestbed::startDaemon(const std::vector<std::string>& extraEnvironment) {
  std::vector<std::string> environment = {"CORVANE_TUNNELD_STATE=" + (scratch_ / "state").string(),
                                          "CORVANE_HOME=" + (scratch_ / "home").string(),
                                          "CORVANE_TUNNELD_INTERFACE=" + interfacePrefix_};
  environment.insert(environment.end(), daemonEnvironment_.begin(), daemonEnvironment_.end());
  environment.insert(environment.end(), extraEnvironment.begin(), extraEnvironment.end());
  int log = openLog(scratch_ / "daemon.log");
  std::vector<std::string> argv = daemonLauncher_;
  argv.push_back((binDir() / "corvane-tunneld").string());
  daemon_ = startIn(client_->name(), std::move(argv), environment, log);
  if (log >= 0) close(log);
  return daemon_.has_value();
}

bool NamespaceTestbed::stopDaemon(int signal) {
  if (!daemon_) return false;
  daemon_->signal(signal, true);
  auto exit = daemon_->waitOrKill(10s);
  daemon_.reset();
  return exit.success();
}

std::string NamespaceTestbed::daemonLog() const {
  return fileText(scratch_ / "daemon.log") + "--- servers:\n" + fileText(scratch_ / "servers.log");
}

pid_t NamespaceTestbed::engineProcess(const std::string& program) const {
  if (!daemon_) return 0;
  const std::string parent = std::to_string(daemon_->pid());
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator("/proc", ignored)) {
    // /proc/PID/stat: "pid (comm) state ppid ..."; comm may hold spaces, so split at the last ')'.
    auto stat = fileText(entry.path() / "stat");
    auto close = stat.rfind(')');
    auto open = stat.find('(');
    if (close == std::string::npos || open == std::string::npos) continue;
    std::istringstream rest(stat.substr(close + 1));
    std::string state, ppid;
    rest >> state >> ppid;
    if (ppid == parent && stat.substr(open + 1, close - open - 1) == program.substr(0, 15)) {
      return std::atoi(entry.path().filename().c_str());
    }
  }
  return 0;
}

}  // namespace corvane::daemon::testing
