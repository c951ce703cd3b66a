// Every visible text comes from a screen model: no English key of the translation tables is
// spelled as a string in the window's QML or in its bindings (comments may quote them).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "corvane/build_config.h"
#include "screenkit/localization.h"

namespace corvane::ui {
namespace {

// The file without its comments: from "//" at the start of a line or after a blank.
std::string codeOf(const std::filesystem::path& file) {
  std::ifstream in(file);
  std::string code, line;
  while (std::getline(in, line)) {
    std::size_t cut = line.find("//");
    while (cut != std::string::npos && cut != 0 && line[cut - 1] != ' ') cut = line.find("//", cut + 2);
    code += line.substr(0, cut) + "\n";
  }
  return code;
}

// A key as it is spelled inside a string literal: line breaks escaped.
std::string quoted(std::string_view key) {
  std::string spelled = "\"";
  for (char c : key) spelled += c == '\n' ? std::string("\\n") : std::string(1, c);
  return spelled + "\"";
}

TEST(VisibleTexts, NoEnglishKeyIsSpelledInTheQmlOrTheBindings) {
  const auto& keys = screenkit::englishTable();
  ASSERT_GT(keys.size(), 50U);
  const std::filesystem::path source(build::kSourceDir);
  int files = 0;
  for (const char* folder : {"ui/qml", "ui/bindings"}) {
    for (const auto& entry : std::filesystem::directory_iterator(source / folder)) {
      ++files;
      const std::string code = codeOf(entry.path());
      for (const auto& [key, english] : keys) {
        EXPECT_EQ(code.find(quoted(key)), std::string::npos)
            << entry.path().filename() << " spells " << quoted(key) << ": the screen model should give it";
      }
    }
  }
  EXPECT_GT(files, 20);
}

}  // namespace
}  // namespace corvane::ui
