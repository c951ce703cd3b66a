#include "screenkit/oops_alert.h"

#include <gtest/gtest.h>

namespace corvane::screenkit {
namespace {

TEST(OopsAlert, RemovesOnlyAWrappingOptional) {
  struct Case {
    std::optional<std::string> stored;
    std::string shown;
  };
  const Case cases[] = {
      {"Optional(Username already taken)", "Username already taken"},
      {"Optional(Optional(Twice wrapped))", "Twice wrapped"},
      // The message's own parentheses stay.
      {"Password too short (min 8)", "Password too short (min 8)"},
      {"Optional(Password too short (min 8))", "Password too short (min 8)"},
      {"Optional(no closing", "Optional(no closing"},
      {"Invalid code.", "Invalid code."},
      {"Optional()", ""},
      {"", ""},
      {std::nullopt, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(oopsMessage(c.stored), c.shown) << c.stored.value_or("<absent>");
  }
}

}  // namespace
}  // namespace corvane::screenkit
