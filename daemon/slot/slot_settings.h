#pragma once
// Where the slot's engines run: their runtime folder, the interface name they create, and
// where their programs are found.
#include <filesystem>
#include <string>

namespace corvane::daemon::slot {

struct SlotSettings {
  std::filesystem::path runtimeDir;  // 0700; each engine gets a fresh subfolder
  std::string interfaceName = "corvane0";
  std::filesystem::path programDir;  // empty: PATH
};

}  // namespace corvane::daemon::slot
