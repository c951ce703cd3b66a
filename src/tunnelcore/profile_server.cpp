#include "tunnelcore/profile_server.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <nlohmann/json.hpp>

#include "tunnelcore/profile_engine.h"

namespace corvane::tunnelcore {
namespace {

constexpr const char* kDomain = "ProfileServer";
// A client that connected and says nothing is cut off after this long.
constexpr double kRequestSeconds = 2.0;

Result<sockaddr_un> socketAddress(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) {
    return Error(kDomain, ENAMETOOLONG, "socket path too long (" + std::to_string(path.size()) + " bytes): '" + path + "'");
  }
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  return address;
}

Error systemError(const std::string& doing) { return Error(kDomain, errno, doing + ": " + std::strerror(errno)); }

nlohmann::json lastUpdatedJson(const Profile& profile) {
  if (!profile.lastUpdated) return nullptr;
  return std::chrono::duration_cast<std::chrono::seconds>(profile.lastUpdated->time_since_epoch()).count();
}

std::string errorLine(const std::string& message) { return nlohmann::json{{"error", message}}.dump(); }

}  // namespace

Result<std::unique_ptr<ProfileServer>> ProfileServer::create(const FilePath& folders, ProfileManager& profiles,
                                                             SharedPreferences& preferences, platform::MainLoop& loop,
                                                             platform::Log log) {
  const std::string path = folders.profileServerSocket().string();
  auto address = socketAddress(path);
  if (!address) return address.error();

  // A socket file that nobody answers on is what a crashed server leaves: it is replaced.
  // One that answers belongs to a running server of this user, which keeps it.
  const int probe = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (probe < 0) return systemError("socket");
  const bool answered = ::connect(probe, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) == 0;
  ::close(probe);
  if (answered) return Error(kDomain, EADDRINUSE, "a profile server already runs on '" + path + "'");
  ::unlink(path.c_str());

  const int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (listener < 0) return systemError("socket");
  // The umask makes the socket 0600 from the moment it exists, before any chmod could.
  const mode_t old = ::umask(0177);
  const int bound = ::bind(listener, reinterpret_cast<const sockaddr*>(&*address), sizeof *address);
  ::umask(old);
  if (bound != 0 || ::listen(listener, 16) != 0) {
    auto error = systemError("binding '" + path + "'");
    ::close(listener);
    return error;
  }
  return std::unique_ptr<ProfileServer>(new ProfileServer(path, listener, profiles, preferences, loop, std::move(log)));
}

ProfileServer::ProfileServer(std::string socketPath, int listener, ProfileManager& profiles,
                             SharedPreferences& preferences, platform::MainLoop& loop, platform::Log log)
    : socketPath_(std::move(socketPath)), listener_(listener), profiles_(profiles), preferences_(preferences),
      loop_(loop), log_(std::move(log)) {}

ProfileServer::~ProfileServer() {
  while (!connections_.empty()) close(connections_.begin()->first);
  if (started_) loop_.unwatch(acceptWatch_);
  ::close(listener_);
  ::unlink(socketPath_.c_str());
}

void ProfileServer::start() {
  if (started_) return;
  started_ = true;
  acceptWatch_ = loop_.watchReadable(listener_, [this] { accept(); });
}

void ProfileServer::accept() {
  // Bounded by the listen backlog: accept4 fails with EAGAIN once it is drained.
  for (std::size_t i = 0; i < 64; ++i) {
    const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0) return;
    ucred peer{};
    socklen_t length = sizeof peer;
    // The folder already keeps other users out; the credential check keeps it so if the
    // folder's mode is ever loosened.
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0 || peer.uid != ::getuid() ||
        connections_.size() >= kMaxConnections) {
      ::close(fd);
      continue;
    }
    Connection& connection = connections_[fd];
    connection.watch = loop_.watchReadable(fd, [this, fd] { readFrom(fd); });
    connection.deadline = loop_.postAfter(platform::seconds(kRequestSeconds), [this, fd] {
      connections_[fd].deadline = 0;
      close(fd);
    });
  }
}

void ProfileServer::readFrom(int fd) {
  auto found = connections_.find(fd);
  if (found == connections_.end()) return;
  char chunk[kMaxRequestBytes + 1];
  const ssize_t got = ::read(fd, chunk, sizeof chunk);
  if (got < 0 && (errno == EAGAIN || errno == EINTR)) return;
  if (got <= 0) {
    close(fd);
    return;
  }
  std::string& buffer = found->second.buffer;
  buffer.append(chunk, static_cast<std::size_t>(got));
  const auto newline = buffer.find('\n');
  if (newline == std::string::npos) {
    if (buffer.size() > kMaxRequestBytes) close(fd);
    return;
  }
  const std::string line = answer(buffer.substr(0, newline)) + "\n";
  // The answer is small and the socket buffer empty: one write moves it, or the client is
  // not reading and loses it.
  [[maybe_unused]] const ssize_t sent = ::send(fd, line.data(), line.size(), MSG_NOSIGNAL);
  close(fd);
}

void ProfileServer::close(int fd) {
  auto found = connections_.find(fd);
  if (found == connections_.end()) return;
  loop_.unwatch(found->second.watch);
  if (found->second.deadline != 0) loop_.cancel(found->second.deadline);
  connections_.erase(found);
  ::close(fd);
}

std::string ProfileServer::answer(const std::string& request) {
  if (request == "list") {
    auto profiles = profiles_.list();
    auto selected = preferences_.selectedProfileID();
    if (!profiles || !selected) {
      const Error& error = !profiles ? profiles.error() : selected.error();
      log_.warning("profile server: " + error.toString());
      return errorLine("the profile list cannot be read: " + error.description);
    }
    nlohmann::json list = nlohmann::json::array();
    for (const Profile& p : *profiles) {
      list.push_back({{"id", p.id},
                      {"name", p.name},
                      {"order", p.order},
                      {"type", static_cast<int>(p.type)},
                      {"autoUpdate", p.autoUpdate},
                      {"lastUpdated", lastUpdatedJson(p)}});
    }
    return nlohmann::json{{"selectedProfileID", *selected}, {"profiles", list}}.dump();
  }
  if (request.rfind("preview ", 0) == 0) {
    const std::string idText = request.substr(8);
    if (idText.empty() || idText.size() > 18 || idText.find_first_not_of("0123456789") != std::string::npos) {
      return errorLine("not a profile id: '" + idText + "'");
    }
    const std::int64_t id = std::stoll(idText);
    auto profile = profiles_.get(id);
    if (!profile) return errorLine("the profile cannot be read: " + profile.error().description);
    if (!profile->has_value()) return errorLine("no profile " + idText);
    const Profile& p = **profile;
    auto content = p.read();
    nlohmann::json engine = nullptr;
    if (content) {
      if (auto named = profileEngine(*content)) engine = *named;
    }
    return nlohmann::json{{"id", p.id},
                          {"name", p.name},
                          {"engine", engine},
                          {"bytes", content ? content->size() : 0},
                          {"lastUpdated", lastUpdatedJson(p)}}
        .dump();
  }
  // Quote at most the allowed request length, so the answer stays one short line.
  return errorLine("unknown request: '" + request.substr(0, kMaxRequestBytes) + "' (expected 'list' or 'preview <id>')");
}

}  // namespace corvane::tunnelcore
