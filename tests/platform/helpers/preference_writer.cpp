// A child process for the preference store's process tests.
//
//   preference_writer FILE sequence START
//       Forever (bounded), for i = START, START+1, ...: sets "w<i>" to i and "text" to
//       textFor(i), then writes i (8 bytes, native order) to stdout. A number on stdout thus
//       means both writes returned. The test kills this child at random moments.
//   preference_writer FILE keys PREFIX COUNT
//       Sets "PREFIX-<i>" to i and "shared" to "PREFIX-<i>" for i < COUNT, reading each own
//       key back at once. Exits 0, or 1 on any failed or lost write.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <string>

#include "platform/preferences/sqlite/sqlite_preference_store.h"

namespace {

using corvane::platform::Log;
using corvane::platform::PreferenceValue;
using corvane::platform::SqlitePreferenceStore;

// Long enough to span several database pages, so a torn write would show.
std::string textFor(std::int64_t i) {
  return std::string(9000, static_cast<char>('a' + i % 26)) + std::to_string(i);
}

int fail(const std::string& message) {
  std::cerr << "preference_writer: " << message << "\n";
  return 1;
}

int sequence(SqlitePreferenceStore& store, std::int64_t start) {
  for (std::int64_t i = start; i < start + 1'000'000; ++i) {
    if (!store.write("w" + std::to_string(i), PreferenceValue(i)) ||
        !store.write("text", PreferenceValue(textFor(i)))) {
      return fail("write failed");
    }
    if (::write(STDOUT_FILENO, &i, sizeof i) != static_cast<ssize_t>(sizeof i)) {
      return fail("report failed");
    }
  }
  return 0;
}

int keys(SqlitePreferenceStore& store, const std::string& prefix, int count) {
  for (std::int64_t i = 0; i < count; ++i) {
    const std::string key = prefix + "-" + std::to_string(i);
    if (!store.write(key, PreferenceValue(i)) || !store.write("shared", PreferenceValue(key))) {
      return fail("write failed");
    }
    if (store.integerForKey(key) != i) {
      return fail("lost " + key);
    }
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    return fail("usage: FILE sequence START | FILE keys PREFIX COUNT");
  }
  auto store = SqlitePreferenceStore::open(argv[1], Log::standard("preference_writer"));
  if (!store) {
    return fail("open: " + store.error().toString());
  }
  const std::string mode = argv[2];
  if (mode == "sequence") {
    return sequence(**store, std::atoll(argv[3]));
  }
  if (mode == "keys" && argc == 5) {
    return keys(**store, argv[3], std::atoi(argv[4]));
  }
  return fail("unknown mode " + mode);
}
