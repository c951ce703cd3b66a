// corvanectl keychain, run as a user would run it, against a private CORVANE_HOME.
#include <gtest/gtest.h>

#include "platform/secitem/file/file_sec_item_backend.h"
#include "securestore/keychain_store.h"
#include "securestore/support/child_process.h"
#include "securestore/support/temp_home.h"

namespace corvane::securestore {
namespace {

using corvane::testing::programPath;
using corvane::testing::runProgram;

const std::string kUuid = "0F5E2A9C-3B1D-4C7E-9A2B-6D8E1F0A4B3C";

struct Call {
  std::vector<std::string> args;
  std::string input;
  int exitCode;
  std::string out;  // exact stdout
};

TEST(KeychainCli, GetSetDeleteAsAScriptSeesThem) {
  corvane::testing::TempHome home;
  // Pinned to the file store, which the test reads back, whatever session bus the run has.
  const std::map<std::string, std::string> env{{"CORVANE_HOME", home.path().string()},
                                               {"CORVANE_KEYCHAIN", "file"}};
  const Call calls[] = {
      {{"keychain", "get", "UUID"}, "", 1, ""},
      {{"keychain", "get", "UUID", "--json"}, "", 1,
       R"({"found":false,"key":"UUID","service":"Corvane"})" "\n"},
      // The value comes from stdin; one trailing newline is not part of it.
      {{"keychain", "set", "UUID"}, kUuid + "\n", 0, "stored \"UUID\" in service \"Corvane\"\n"},
      {{"keychain", "get", "UUID"}, "", 0, "0F5E…\n"},
      {{"keychain", "get", "UUID", "--reveal"}, "", 0, kUuid + "\n"},
      {{"--json", "keychain", "get", "UUID"}, "", 0,
       R"({"found":true,"key":"UUID","masked":true,"service":"Corvane","value":"0F5E…"})" "\n"},
      {{"keychain", "get", "UUID", "--service", "Other"}, "", 1, ""},
      {{"keychain", "set", "UUID", "--service", "Other", "--json"}, "other\r\n", 0,
       R"({"key":"UUID","service":"Other","stored":true})" "\n"},
      {{"keychain", "get", "UUID", "--service", "Other", "--reveal"}, "", 0, "other\n"},
      {{"keychain", "set", "multi"}, "line one\nline two\n", 0,
       "stored \"multi\" in service \"Corvane\"\n"},
      {{"keychain", "get", "multi", "--reveal"}, "", 0, "line one\nline two\n"},
      // Bad input is a usage error and changes nothing.
      {{"keychain", "set", "UUID"}, "\xFF\xFE", 2, ""},
      {{"keychain", "set", "UUID"}, std::string(64 * 1024 + 2, 'x'), 2, ""},
      {{"keychain", "get", ""}, "", 2, ""},
      {{"keychain", "get"}, "", 2, ""},
      {{"keychain", "get", "UUID", "--reveal"}, "", 0, kUuid + "\n"},
      {{"keychain", "delete", "UUID", "--json"}, "", 0,
       R"({"key":"UUID","removed":true,"service":"Corvane"})" "\n"},
      {{"keychain", "delete", "UUID"}, "", 0, "removed \"UUID\" in service \"Corvane\"\n"},
      {{"keychain", "get", "UUID"}, "", 1, ""},
  };
  for (const Call& call : calls) {
    std::string shown;
    for (const auto& arg : call.args) shown += arg + " ";
    SCOPED_TRACE(shown);
    const auto run = runProgram(programPath("corvanectl"), call.args, call.input, env);
    EXPECT_EQ(run.exitCode, call.exitCode) << run.err;
    EXPECT_EQ(run.out, call.out);
    if (call.exitCode != 0) {
      EXPECT_FALSE(run.err.empty());
    }
  }
  // The CLI wrote where the library reads: the application's store under the data folder.
  platform::FileSecItemBackend backend(
      platform::FileSecItemBackend::defaultFile(platform::Paths::underHome(home.path())),
      platform::Log::null());
  EXPECT_EQ(KeychainStore(backend, platform::Log::null(), std::string("Other")).stringForKey("UUID"),
            "other");
}

}  // namespace
}  // namespace corvane::securestore
