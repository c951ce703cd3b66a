// corvanectl where the backend is down or the server stored hostile links: failures exit 1
// with their reason (never an empty success), usage errors exit 2, and only links of the
// schemes the client opens are opened, the support address as one escaped recipient.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "platform/support/child_process.h"
#include "platform/support/scratch_folder.h"

namespace corvane::cli {
namespace {

using testing::ProgramRun;

class CliFailures : public ::testing::Test {
 protected:
  ProgramRun run(std::vector<std::string> args) {
    args.insert(args.begin(), testing::programPath("corvanectl").string());
    // Nothing listens on port 1: every request fails at once. No desktop: URLs are printed.
    return testing::runProgram(std::move(args), "",
                               {"CORVANE_HOME=" + (home / "home").string(), "CORVANE_API_HOST=127.0.0.1:1",
                                "CORVANE_FALLBACK_DOMAIN=127.0.0.1:1", "DISPLAY=", "WAYLAND_DISPLAY="},
                               home.path());
  }
  void store(const std::string& key, const std::string& value) {
    const ProgramRun stored = run({"defaults", "write", key, value});
    ASSERT_EQ(stored.exitCode, 0) << stored.err;
  }
  void SetUp() override {
    store("loggedIn", "YES");
    store("domain_link", "127.0.0.1:1");
  }
  testing::ScratchFolder home;
};

TEST_F(CliFailures, PickerCommandsWithTheBackendDown) {
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    std::string errorText;  // in stderr
  };
  const Case cases[] = {
      {{"servers"}, 1, "the server list could not be fetched: "},
      {{"servers", "--protocol", "v2ray"}, 1, "the server list could not be fetched: "},
      {{"select", "Tokyo 1"}, 1, "the server list could not be fetched: "},
      {{"select"}, 2, "SERVER is required"},
      {{"select", "a", "b"}, 2, "was not expected"},
  };
  for (const Case& c : cases) {
    const ProgramRun ran = run(c.args);
    EXPECT_EQ(ran.exitCode, c.exitCode) << c.args[0] << ": " << ran.err;
    EXPECT_NE(ran.err.find(c.errorText), std::string::npos) << ran.err;
    EXPECT_EQ(ran.out.find("Protocol"), std::string::npos) << "no list is printed: " << ran.out;
  }
  const ProgramRun json = run({"servers", "--json"});
  EXPECT_EQ(json.exitCode, 1);
  EXPECT_TRUE(nlohmann::json::parse(json.out).contains("error")) << json.out;
}

TEST_F(CliFailures, StoredLinksOpenOnlyWithAllowedSchemes) {
  struct Case {
    const char* key;
    std::string stored;
    std::vector<std::string> args;
    int exitCode;
    std::string shown;  // in stdout (exit 0) or stderr
  };
  const Case cases[] = {
      {"whatsapp_link", "file:///etc/passwd", {"support", "chat"}, 1, "`file:///etc/passwd' is not a URL the client opens"},
      {"whatsapp_link", "SMB://host/share", {"support", "chat"}, 1, "is not a URL the client opens"},
      {"whatsapp_link", "tg://resolve?domain=corvane", {"support", "chat"}, 0, "open: tg://resolve?domain=corvane\n"},
      {"whatsapp_link", "HTTPS://t.me/corvane", {"support", "chat"}, 0, "open: HTTPS://t.me/corvane\n"},
      {"about_us_link", "ssh://root@host", {"about"}, 1, "`ssh://root@host' is not a URL the client opens"},
      {"about_us_link", "x-scheme-handler:evil", {"about"}, 1, "is not a URL the client opens"},
      {"about_us_link", "https://corvane.net/about", {"about"}, 0, "open: https://corvane.net/about\n"},
      // The address is one recipient: its "?", "&", "=" and "/" cannot add header fields.
      {"email_link", "x@y?attach=/root/.ssh/id_rsa&bcc=evil@z", {"support", "email"}, 0,
       "open: mailto:x@y%3Fattach%3D%2Froot%2F.ssh%2Fid_rsa%26bcc%3Devil@z?subject=&body=\n"},
      {"email_link", "help,other@z#frag", {"support", "email"}, 0, "open: mailto:help%2Cother@z%23frag?subject=&body=\n"},
      {"email_link", "help@corvane.net", {"support", "email"}, 0, "open: mailto:help@corvane.net?subject=&body=\n"},
  };
  for (const Case& c : cases) {
    store(c.key, c.stored);
    const ProgramRun ran = run(c.args);
    EXPECT_EQ(ran.exitCode, c.exitCode) << c.stored << ": " << ran.err;
    const std::string& where = c.exitCode == 0 ? ran.out : ran.err;
    EXPECT_NE(where.find(c.shown), std::string::npos) << c.stored << " gave: " << where;
  }
}

}  // namespace
}  // namespace corvane::cli
