// Child program for the file store's process tests. It writes through a KeychainStore on the
// given item file, so the tests see what a second program on the same machine would do.
//
//   keychain_writer FILE keys SERVICE PREFIX COUNT   writes PREFIX-0..COUNT-1 = "value-<i>"
//   keychain_writer FILE churn SERVICE SIZE ROUNDS   rewrites "churn" ROUNDS times with SIZE
//                                                    copies of one letter (a, b, c, ...)
// Exit 0 when every write succeeded, 1 on the first failure, 2 on bad arguments.
#include <cstdlib>
#include <iostream>
#include <string>

#include "platform/secitem/file/file_sec_item_backend.h"
#include "securestore/keychain_store.h"

using namespace corvane;

int main(int argc, char** argv) {
  if (argc != 6) {
    std::cerr << "usage: keychain_writer FILE keys|churn SERVICE PREFIX|SIZE COUNT|ROUNDS\n";
    return 2;
  }
  const std::string mode = argv[2];
  const long count = std::strtol(argv[5], nullptr, 10);
  platform::Log log = platform::Log::standard("keychain_writer", platform::Log::Level::error);
  platform::FileSecItemBackend backend(argv[1], log);
  securestore::KeychainStore store(backend, log, std::string(argv[3]));

  for (long i = 0; i < count; ++i) {
    Result<void> written = Result<void>::success();
    if (mode == "keys") {
      written = store.setString("value-" + std::to_string(i),
                                std::string(argv[4]) + "-" + std::to_string(i));
    } else if (mode == "churn") {
      const long size = std::strtol(argv[4], nullptr, 10);
      written = store.setString(std::string(static_cast<std::size_t>(size), static_cast<char>('a' + i % 26)),
                                "churn");
    } else {
      std::cerr << "unknown mode " << mode << "\n";
      return 2;
    }
    if (!written) {
      std::cerr << "write " << i << " failed: " << written.error().toString() << "\n";
      return 1;
    }
  }
  return 0;
}
