#include "securestore/support/session_keyring.h"

#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <chrono>
#include <fstream>
#include <stdexcept>
#include <thread>

#include "platform/process/process_environment.h"
#include "platform/secitem/secret_service/secret_service_backend.h"

namespace corvane::testing {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

std::optional<std::string> environmentValue(const char* name) {
  const char* value = ::getenv(name);
  return value == nullptr ? std::nullopt : std::optional<std::string>(value);
}

void restore(const char* name, const std::optional<std::string>& value) {
  if (value) {
    ::setenv(name, value->c_str(), 1);
  } else {
    ::unsetenv(name);
  }
}

std::string drain(platform::Process& process) {
  std::string text;
  for (auto stream : {platform::Process::Stream::out, platform::Process::Stream::err}) {
    // Bounded: each read takes what is waiting now, up to the limit.
    for (int round = 0; round < 16; ++round) {
      auto some = process.readSome(stream);
      if (!some || some->empty()) break;
      text += *some;
    }
  }
  return text;
}

// True once a Secret Service answers on the bus with its default collection; asks every
// 50 ms until `limit`. Nothing is activated on the test's bus, so an early ask fails at once.
bool waitForKeyring(std::chrono::milliseconds limit) {
  platform::SecretServiceBackend::Options quick;
  quick.openTimeout = 1s;
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < deadline) {
    if (platform::SecretServiceBackend::open(platform::Log::null(), quick)) return true;
    std::this_thread::sleep_for(50ms);
  }
  return false;
}

}  // namespace

SessionKeyring::SessionKeyring(With with) {
  const fs::path runtime = temp_.path() / "runtime";
  for (const char* folder : {"home", "data", "runtime", "scratch"}) {
    fs::create_directories(temp_.path() / folder);
  }
  ::chmod(runtime.c_str(), 0700);
  const fs::path config = temp_.path() / "bus.conf";
  std::ofstream(config) << R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:path=)" << (runtime / "bus").string()
                        << R"(</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)";

  platform::ProcessOptions busOptions;
  busOptions.argv = {"dbus-daemon", "--config-file=" + config.string(), "--nofork", "--nopidfile",
                     "--print-address=1"};
  busOptions.stdoutStream = platform::ChildStream::piped();
  busOptions.stderrStream = platform::ChildStream::piped();
  auto bus = platform::Process::start(std::move(busOptions));
  if (!bus) throw std::runtime_error("dbus-daemon: " + bus.error().description);
  bus_.emplace(std::move(*bus));
  auto line = bus_->readLine(platform::Process::Stream::out, 10s);
  if (!line || line->empty()) throw std::runtime_error("dbus-daemon printed no address: " + drain(*bus_));
  address_ = *line;

  savedAddress_ = environmentValue("DBUS_SESSION_BUS_ADDRESS");
  savedChoice_ = environmentValue("CORVANE_KEYCHAIN");
  ::setenv("DBUS_SESSION_BUS_ADDRESS", address_.c_str(), 1);
  ::unsetenv("CORVANE_KEYCHAIN");
  if (with == With::busOnly) return;

  platform::ProcessOptions keyringOptions;
  keyringOptions.argv = {"gnome-keyring-daemon", "--foreground", "--unlock", "--components=secrets"};
  keyringOptions.environment = platform::ProcessEnvironment::current()
                                   .set("HOME", (temp_.path() / "home").string())
                                   .set("XDG_DATA_HOME", (temp_.path() / "data").string())
                                   .set("XDG_RUNTIME_DIR", runtime.string())
                                   .set("DBUS_SESSION_BUS_ADDRESS", address_)
                                   .unset("DISPLAY")
                                   .unset("WAYLAND_DISPLAY")
                                   .entries();
  keyringOptions.stdinStream = platform::ChildStream::piped();
  keyringOptions.stdoutStream = platform::ChildStream::piped();
  keyringOptions.stderrStream = platform::ChildStream::piped();
  auto keyring = platform::Process::start(std::move(keyringOptions));
  if (!keyring) throw std::runtime_error("gnome-keyring-daemon: " + keyring.error().description);
  keyring_.emplace(std::move(*keyring));
  // The password of the new login keyring, which --unlock reads from stdin up to its end.
  (void)keyring_->writeInput("corvane-test-password", 5s);
  keyring_->closeInput();
  if (!waitForKeyring(10s)) {
    throw std::runtime_error("gnome-keyring-daemon does not answer: " + drain(*keyring_));
  }
}

SessionKeyring::~SessionKeyring() {
  restore("DBUS_SESSION_BUS_ADDRESS", savedAddress_);
  restore("CORVANE_KEYCHAIN", savedChoice_);
  if (keyring_) {
    keyring_->signal(SIGCONT);
    keyring_->stop(2s);
  }
  if (bus_) bus_->stop(2s);
}

void SessionKeyring::freezeKeyring() {
  if (keyring_) keyring_->signal(SIGSTOP);
}

void SessionKeyring::thawKeyring() {
  if (keyring_) keyring_->signal(SIGCONT);
}

}  // namespace corvane::testing
