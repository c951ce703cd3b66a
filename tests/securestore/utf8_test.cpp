#include <gtest/gtest.h>

#include "securestore/utf8.h"

namespace corvane::securestore {
namespace {

TEST(Utf8, AcceptsWellFormedAndRejectsTheRest) {
  struct Row {
    const char* name;
    std::string bytes;
    bool valid;
  };
  const Row rows[] = {
      {"empty", "", true},
      {"ascii with NUL", std::string("a\0b", 3), true},
      {"uuid", "0F5E2A9C-3B1D-4C7E-9A2B-6D8E1F0A4B3C", true},
      {"two bytes", "\xC3\xA9", true},
      {"three bytes", "\xE2\x82\xAC", true},
      {"four bytes", "\xF0\x9F\x87\xA9", true},
      {"U+10FFFF", "\xF4\x8F\xBF\xBF", true},
      {"stray continuation", "\x80", false},
      {"overlong slash", "\xC0\xAF", false},
      {"overlong three-byte", "\xE0\x80\xAF", false},
      {"overlong four-byte", "\xF0\x80\x80\xAF", false},
      {"surrogate", "\xED\xA0\x80", false},
      {"above U+10FFFF", "\xF4\x90\x80\x80", false},
      {"F5 lead", "\xF5\x80\x80\x80", false},
      {"truncated at end", "ab\xE2\x82", false},
      {"bad continuation", "\xE2\x28\xA1", false},
      {"FF", "\xFF", false},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(isValidUtf8(row.bytes), row.valid) << row.name;
  }
}

}  // namespace
}  // namespace corvane::securestore
