// `corvanectl defaults`, run as a user runs it, against a private CORVANE_HOME.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "platform/preferences/preference_suite.h"
#include "platform/support/child_process.h"
#include "platform/support/scratch_folder.h"

namespace corvane::cli {
namespace {

using testing::ProgramRun;

class DefaultsCommand : public ::testing::Test {
 protected:
  ProgramRun run(std::vector<std::string> args, const std::string& input = "") {
    args.insert(args.begin(), {testing::programPath("corvanectl").string(), "defaults"});
    return testing::runProgram(std::move(args), input, {"CORVANE_HOME=" + (home / "home").string()},
                               home.path());
  }
  std::unique_ptr<platform::SqlitePreferenceStore> store(platform::PreferenceSuite suite) {
    return platform::openPreferenceStore(platform::Paths::underHome(home / "home"), suite,
                                         platform::Log::null())
        .value();
  }

  testing::ScratchFolder home;
};

struct WriteCase {
  const char* name;
  std::vector<std::string> write;  // after "write"
  std::string stdinText;
  std::string key;
  std::string printed;  // by `read KEY --show-secrets`
  const char* type;     // in `list`
};

void PrintTo(const WriteCase& c, std::ostream* out) { *out << c.name; }

class DefaultsWrite : public DefaultsCommand, public ::testing::WithParamInterface<WriteCase> {};

TEST_P(DefaultsWrite, StoresTheValueWithTheRightTypeAndReadsItBack) {
  const WriteCase& c = GetParam();
  std::vector<std::string> args{"write"};
  args.insert(args.end(), c.write.begin(), c.write.end());
  const auto written = run(args, c.stdinText);
  ASSERT_EQ(written.exitCode, 0) << written.err;
  const auto read = run({"read", c.key, "--show-secrets"});
  EXPECT_EQ(read.exitCode, 0) << read.err;
  EXPECT_EQ(read.out, c.printed + "\n");
  const auto listed = nlohmann::json::parse(run({"list", "--json", "--show-secrets"}).out);
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0]["key"], c.key);
  EXPECT_EQ(listed[0]["type"], c.type);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DefaultsWrite,
    ::testing::Values(
        WriteCase{"catalogueFlag", {"loggedIn", "YES"}, "", "loggedIn", "true", "flag"},
        WriteCase{"catalogueInteger", {"vpnServerID", "-5"}, "", "vpnServerID", "-5", "int"},
        WriteCase{"catalogueText",
                  {"domain_link", "10.0.0.1:8080"},
                  "",
                  "domain_link",
                  "10.0.0.1:8080",
                  "text"},
        WriteCase{"unknownKeyIsText", {"custom", "42"}, "", "custom", "42", "text"},
        WriteCase{"typeGivenWins", {"custom", "42", "--type", "int"}, "", "custom", "42", "int"},
        WriteCase{"passwordFromStdin", {"password"}, "hunter22\n", "password", "hunter22", "text"},
        WriteCase{"dashReadsStdin",
                  {"Config", "-"},
                  "[Interface]\nAddress = 10.7.0.2/32\n",
                  "Config",
                  "[Interface]\nAddress = 10.7.0.2/32",
                  "text"}),
    [](const auto& info) { return std::string(info.param.name); });

struct UsageCase {
  const char* name;
  std::vector<std::string> args;
};

void PrintTo(const UsageCase& c, std::ostream* out) { *out << c.name; }

class DefaultsUsage : public DefaultsCommand, public ::testing::WithParamInterface<UsageCase> {};

TEST_P(DefaultsUsage, IsRefusedWithExitTwoAndStoresNothing) {
  const auto result = run(GetParam().args, "from stdin\n");
  EXPECT_EQ(result.exitCode, 2) << result.out << result.err;
  EXPECT_FALSE(result.err.empty());
  EXPECT_TRUE(store(platform::PreferenceSuite::standard)->allEntries().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DefaultsUsage,
    ::testing::Values(UsageCase{"unknownType", {"write", "custom", "1", "--type", "string"}},
                      UsageCase{"notAnInteger", {"write", "vpnServerID", "12abc"}},
                      UsageCase{"integerOutOfRange", {"write", "ipID", "9223372036854775808"}},
                      UsageCase{"notAFlag", {"write", "loggedIn", "maybe"}},
                      UsageCase{"passwordOnTheCommandLine", {"write", "password", "hunter22"}},
                      UsageCase{"configOnTheCommandLine", {"write", "Config", "[Interface]"}},
                      UsageCase{"emptyKey", {"write", "", "x"}}, UsageCase{"noAction", {}},
                      UsageCase{"unknownAction", {"show", "loggedIn"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DefaultsCommand, AbsentKeysFailWithExitOneAndAMessage) {
  const auto read = run({"read", "loggedIn"});
  EXPECT_EQ(read.exitCode, 1);
  EXPECT_TRUE(read.out.empty());
  EXPECT_NE(read.err.find("\"loggedIn\""), std::string::npos) << read.err;
  EXPECT_EQ(run({"delete", "loggedIn"}).exitCode, 1);
}

TEST_F(DefaultsCommand, SecretsAreMaskedUnlessAskedFor) {
  ASSERT_EQ(run({"write", "password", "-"}, "correct horse battery\n").exitCode, 0);
  ASSERT_EQ(run({"write", "username", "ana@example.org"}).exitCode, 0);
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"read"}, {"list"}, {"read", "password"}, {"list", "--json"}}) {
    const auto shown = run(args);
    EXPECT_EQ(shown.exitCode, 0);
    EXPECT_EQ(shown.out.find("horse"), std::string::npos) << args[0] << ": " << shown.out;
    EXPECT_NE(shown.out.find("corr"), std::string::npos) << "masked, not hidden: " << shown.out;
  }
  EXPECT_NE(run({"read"}).out.find("username = \"ana@example.org\""), std::string::npos);
  EXPECT_EQ(run({"read", "password", "--show-secrets"}).out, "correct horse battery\n");
}

TEST_F(DefaultsCommand, ListingsKeepOneEntryPerLineAndJsonIsTyped) {
  ASSERT_EQ(run({"write", "whatsapp_link", "-"}, "line one\nline two\n").exitCode, 0);
  ASSERT_EQ(run({"write", "loggedIn", "true"}).exitCode, 0);
  ASSERT_EQ(run({"write", "ipID", "7"}).exitCode, 0);
  EXPECT_EQ(run({"list"}).out,
            "ipID\tint\t7\nloggedIn\tflag\ttrue\nwhatsapp_link\ttext\t\"line one\\nline two\"\n");
  const auto all = nlohmann::json::parse(run({"read", "--json"}).out);
  EXPECT_EQ(all, nlohmann::json(
                     {{"ipID", 7}, {"loggedIn", true}, {"whatsapp_link", "line one\nline two"}}));
  const auto one = nlohmann::json::parse(run({"read", "ipID", "--json"}).out);
  EXPECT_EQ(one, nlohmann::json({{"key", "ipID"}, {"type", "int"}, {"value", 7}}));
}

TEST_F(DefaultsCommand, GroupSelectsTheApplicationGroupStoreAndDeleteRemoves) {
  ASSERT_EQ(run({"write", "--group", "username", "ana@example.org"}).exitCode, 0);
  EXPECT_EQ(store(platform::PreferenceSuite::appGroup)->stringForKey("username"),
            "ana@example.org");
  EXPECT_EQ(run({"read", "username"}).exitCode, 1) << "the standard store is a different store";
  ASSERT_EQ(run({"delete", "username", "--group"}).exitCode, 0);
  EXPECT_TRUE(store(platform::PreferenceSuite::appGroup)->allEntries().empty());
}

}  // namespace
}  // namespace corvane::cli
