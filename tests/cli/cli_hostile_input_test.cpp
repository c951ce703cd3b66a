// corvanectl fed what a careless user or a hostile server hands it: arguments that are not
// UTF-8 under --json, endless standard input, and text that would drive the terminal.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "platform/support/child_process.h"
#include "platform/support/scratch_folder.h"

namespace corvane::cli {
namespace {

using testing::ProgramRun;

struct HostileCase {
  const char* name;
  std::vector<std::string> args;
  std::string input;
  int exitCode;
  std::string errorText;  // in stderr
  friend void PrintTo(const HostileCase& c, std::ostream* out) { *out << c.name; }
};

class CliHostileInput : public ::testing::TestWithParam<HostileCase> {
 protected:
  ProgramRun run(std::vector<std::string> args, const std::string& input = "") {
    args.insert(args.begin(), testing::programPath("corvanectl").string());
    // No API host answers here: anything that reaches the network fails fast.
    return testing::runProgram(std::move(args), input,
                               {"CORVANE_HOME=" + (home / "home").string(), "CORVANE_API_HOST=127.0.0.1:1"},
                               home.path());
  }
  testing::ScratchFolder home;
};

TEST_P(CliHostileInput, IsRefusedWithTheUsageCodeAndNothingIsStored) {
  const HostileCase& c = GetParam();
  const ProgramRun refused = run(c.args, c.input);
  EXPECT_EQ(refused.exitCode, c.exitCode) << refused.err;
  EXPECT_NE(refused.err.find(c.errorText), std::string::npos) << refused.err;
  EXPECT_EQ(run({"defaults", "list", "--json"}).out, "[]\n");
  EXPECT_EQ(run({"keychain", "get", "\xff", "--reveal"}).exitCode, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliHostileInput,
    ::testing::Values(
        HostileCase{"defaults_write_key", {"--json", "defaults", "write", "\xff", "x"}, "", 2,
                    "argument 4 is not valid UTF-8"},
        HostileCase{"defaults_write_value", {"defaults", "write", "k", "caf\xe9", "--json"}, "", 2,
                    "argument 4 is not valid UTF-8"},
        HostileCase{"keychain_set_key", {"--json", "keychain", "set", "\xff"}, "value\n", 2,
                    "argument 4 is not valid UTF-8"},
        // A password line without end (as from /dev/zero) is cut off, not read forever.
        HostileCase{"endless_password", {"signup", "--username", "u", "--email", "u@x.test", "--password-stdin"},
                    std::string(1 << 20, 'p'), 2, "longer than 4096 bytes"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CliHostileInput, TerminalControlsInPrintedTextAreShownEscaped) {
  // A stored text with a window-title sequence, BEL, a screen clear and a one-byte CSI.
  const std::string hostile = "\x1b]0;owned\x07name\x1b[2J\xc2\x9b" "31m";
  ASSERT_EQ(run({"keychain", "set", "title"}, hostile + "\n").exitCode, 0);
  const ProgramRun shown = run({"keychain", "get", "title", "--reveal"});
  EXPECT_EQ(shown.exitCode, 0) << shown.err;
  EXPECT_EQ(shown.out, "\\u001B]0;owned\\u0007name\\u001B[2J\\u009B31m\n");
  const ProgramRun json = run({"keychain", "get", "title", "--reveal", "--json"});
  EXPECT_EQ(nlohmann::json::parse(json.out)["value"], hostile);
}

}  // namespace
}  // namespace corvane::cli
