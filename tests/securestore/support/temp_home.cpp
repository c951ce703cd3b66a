#include "securestore/support/temp_home.h"

#include <stdlib.h>

#include <stdexcept>

namespace corvane::testing {

TempHome::TempHome() {
  std::string pattern = (std::filesystem::temp_directory_path() / "corvane-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    throw std::runtime_error("mkdtemp failed");
  }
  path_ = pattern;
}

TempHome::~TempHome() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

}  // namespace corvane::testing
