#pragma once
// A private session bus, and on it a real Secret Service (gnome-keyring's), for one test.
// Everything lives in a temporary folder that goes with the object: the bus socket, the
// keyring's HOME, XDG_DATA_HOME and XDG_RUNTIME_DIR. The bus's configuration names no
// service folders, so nothing is ever activated on it behind the test's back.
//
// While the object lives, this process's DBUS_SESSION_BUS_ADDRESS names the private bus
// (GLib reads it when it first connects), and CORVANE_KEYCHAIN is unset.
#include <filesystem>
#include <optional>
#include <string>

#include "platform/process/process.h"
#include "securestore/support/temp_home.h"

namespace corvane::testing {

class SessionKeyring {
 public:
  enum class With { busOnly, keyring };

  // Throws std::runtime_error (with the programs' own words) when either does not start
  // or the keyring does not take its name on the bus within a few seconds.
  explicit SessionKeyring(With with = With::keyring);
  ~SessionKeyring();
  SessionKeyring(const SessionKeyring&) = delete;
  SessionKeyring& operator=(const SessionKeyring&) = delete;

  const std::string& address() const { return address_; }
  // A folder of the test's own inside the temporary folder (a data home for the file store).
  std::filesystem::path scratch() const { return temp_.path() / "scratch"; }

  // Stops and resumes the keyring (SIGSTOP, SIGCONT): a service that hangs mid-session.
  void freezeKeyring();
  void thawKeyring();

 private:
  TempHome temp_;
  std::optional<platform::Process> bus_;
  std::optional<platform::Process> keyring_;
  std::string address_;
  std::optional<std::string> savedAddress_;
  std::optional<std::string> savedChoice_;
};

}  // namespace corvane::testing
