// Child program for the keychain's race across processes, on the Secret Service that
// DBUS_SESSION_BUS_ADDRESS names. Both modes wait (at most 10 s) for GO_FILE to exist, so two
// of them act at once.
//
//   keychain_racer move HOME GO_FILE               opens the keychain as the programs do, which
//                                                  moves the file's items into the keyring
//   keychain_racer add HOME GO_FILE PREFIX COUNT   a program already on the keyring (its own
//                                                  move long done): adds "item-<i>" = PREFIX-<i>
//                                                  from the last to the first, printing S (stored)
//                                                  or D (already there) for each, in that order
// HOME is the CORVANE_HOME of both. Exit 0 when done, 1 on a failure, 2 on bad arguments.
#include <chrono>
#include <filesystem>
#include <iostream>
#include <string>
#include <thread>

#include "platform/secitem/file/file_sec_item_backend.h"
#include "platform/secitem/sec_item_backend_factory.h"
#include "platform/secitem/sec_item_table.h"

using namespace corvane::platform;

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (!((mode == "move" && argc == 4) || (mode == "add" && argc == 6))) {
    std::cerr << "usage: keychain_racer move HOME GO_FILE | add HOME GO_FILE PREFIX COUNT\n";
    return 2;
  }
  const Paths paths = Paths::underHome(argv[2]);
  const Log log = Log::standard("keychain_racer", Log::Level::warning);
  const auto waitForGo = [&] {
    for (int i = 0; i < 10000 && !std::filesystem::exists(argv[3]); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  };
  if (mode == "move") {
    // The bus connection and the service's first answers are made once per process: made
    // before the go, so the move starts as soon as the other program's adds.
    if (!SecretServiceBackend::open(log, {})) return 1;
    waitForGo();
    auto chosen = makeSecItemBackend(paths, log);
    return dynamic_cast<SecretServiceBackend*>(chosen.get()) != nullptr ? 0 : 1;
  }
  // As the factory opens it, without the move.
  SecretServiceBackend::Options options;
  options.lockedWith = FileSecItemBackend::defaultFile(paths);
  auto secrets = SecretServiceBackend::open(log, options);
  if (!secrets) {
    std::cerr << secrets.error().description << "\n";
    return 1;
  }
  waitForGo();
  // Last item first: the move takes them first to last, so the two meet on some item.
  const long count = std::stol(argv[5]);
  for (long i = count - 1; i >= 0; --i) {
    SecItem item;
    item.service = "Corvane";
    item.account = "item-" + std::to_string(i);
    const std::string value = std::string(argv[4]) + "-" + std::to_string(i);
    item.value.assign(value.begin(), value.end());
    const SecStatus status = (*secrets)->add(storeRequest(item));
    if (status != secstatus::kSuccess && status != secstatus::kDuplicateItem) {
      std::cerr << "add " << i << ": status " << status << "\n";
      return 1;
    }
    std::cout << (status == secstatus::kSuccess ? 'S' : 'D') << std::flush;
  }
  return 0;
}
