#pragma once
// A fresh folder per test under the system temp folder, removed afterwards.
#include <filesystem>
#include <string>

namespace corvane::testing {

class TempHome {
 public:
  TempHome();
  ~TempHome();
  TempHome(const TempHome&) = delete;
  TempHome& operator=(const TempHome&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace corvane::testing
