// Feeds arbitrary bytes to the preference store as its file and checks the promises a damaged
// file must keep: the store always opens and works, and a file it cannot use is moved aside
// byte for byte, never deleted.
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/preferences/sqlite/sqlite_preference_store.h"

namespace {

namespace fs = std::filesystem;
using namespace corvane::platform;

void require(bool condition) {
  if (!condition) {
    std::abort();
  }
}

// tmpfs when there is one: fsync is free there, and the harness measures nothing.
const fs::path& workFolder() {
  // Never destroyed, so that the clean-up at exit can still use it.
  static const fs::path& folder = *new fs::path([] {
    const fs::path base = fs::exists("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    std::string pattern = (base / "corvane-fuzz-XXXXXX").string();
    require(::mkdtemp(pattern.data()) != nullptr);
    std::atexit([] {
      std::error_code ignored;
      fs::remove_all(workFolder(), ignored);
    });
    return fs::path(pattern);
  }());
  return folder;
}

std::string readBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fs::path folder = workFolder() / "config";
  fs::remove_all(folder);
  fs::create_directories(folder);
  const fs::path file = folder / "preferences.sqlite";
  const std::string input(reinterpret_cast<const char*>(data), size);
  std::ofstream(file, std::ios::binary) << input;

  auto store = SqlitePreferenceStore::open(file, Log::null());
  require(store.ok());
  (void)(*store)->allEntries();
  (void)(*store)->stringForKey("Config");
  require((*store)->write("loggedIn", PreferenceValue(true)).ok());
  require((*store)->boolForKey("loggedIn"));

  int movedAside = 0;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (name.find(".corrupt-") != std::string::npos && name.find("-wal") == std::string::npos &&
        name.find("-shm") == std::string::npos && name.find("-journal") == std::string::npos) {
      ++movedAside;
      require(readBytes(entry.path()) == input);
    }
  }
  require(movedAside <= 1);
  return 0;
}
