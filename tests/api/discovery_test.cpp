// Start-up discovery against scripted servers: the link table over HTTPS (trusted through the
// test CA), domain sources over plain HTTP, and the announcements.
#include <gtest/gtest.h>

#include "api/api_host.h"
#include "api/support/api_harness.h"
#include "api/support/eventually.h"
#include "api/support/script_server.h"
#include "api/support/test_pki.h"
#include "keys/preference_key.h"

namespace corvane::api {
namespace {

using test::ScriptedReply;
using test::ScriptServer;
namespace Key = keys::pref;

constexpr const char* kFallbackMarker = "<fallback domain>";
constexpr const char* kSourceMarker = "<source>";

struct LinksCase {
  const char* name;
  std::string table;                          // kSourceMarker is replaced by the source's URL
  std::optional<ScriptedReply> linksReply;    // instead of the table, when set
  std::optional<ScriptedReply> sourceReply;   // the domain source at /domain
  bool mayEnter;
  std::optional<std::string> domain;          // kFallbackMarker: the fallback API domain
  std::optional<std::string> aboutUs;         // after the run; "old" was stored before
  std::string logLine;                        // a line that must be logged ("" for none)
  friend void PrintTo(const LinksCase& c, std::ostream* out) { *out << c.name; }
};

// An HTTPS host for the table (its CA written to a file the loader trusts) and a plain one
// for the domain sources.
class Discovery : public ::testing::Test {
 protected:
  Discovery() : leaf_(pki_.issue({"IP:127.0.0.1"})), https_(leaf_) {}

  test::TempFolder folder_;
  test::TestPki pki_;
  test::LeafCertificate leaf_;
  ScriptServer https_;
  ScriptServer sources_;
};

class FetchLinks : public Discovery, public ::testing::WithParamInterface<LinksCase> {};

std::string replaced(std::string text, const std::string& marker, const std::string& by) {
  for (auto at = text.find(marker); at != std::string::npos; at = text.find(marker, at + by.size())) {
    text.replace(at, marker.size(), by);
  }
  return text;
}

TEST_P(FetchLinks, StoresLinksAndDomainAsTheTableSays) {
  const LinksCase& c = GetParam();
  https_.answer("GET", "/app-api-v1/get-links",
                c.linksReply ? *c.linksReply
                             : ScriptedReply::json(200, replaced(c.table, kSourceMarker, sources_.url("/domain"))));
  if (c.sourceReply) {
    sources_.answer("GET", "/domain", *c.sourceReply);
  }
  sources_.answer("GET", "/moved", ScriptedReply::text(200, "moved.corvane.test:8080\n"));
  test::ApiHarness harness(https_.hostPort(), pki_.writeCaFile(folder_.path()));
  harness.preferences().setString(Key::aboutUsLink.key, "old");
  harness.preferences().setString(Key::whatsappLink.key, "old");

  // The completion may say "enter" only once the domain is in place.
  test::Awaited<std::pair<bool, std::optional<std::string>>> awaited;
  harness.client().fetchLinks([&harness, done = awaited.completion()](bool mayEnter) {
    done({mayEnter, harness.preferences().stringForKey(Key::domainLink.key)});
  });
  auto outcome = awaited.get();
  ASSERT_TRUE(outcome);
  EXPECT_EQ(outcome->first, c.mayEnter);
  const auto expectedDomain =
      c.domain ? std::optional(replaced(*c.domain, kFallbackMarker, api::defaultFallbackDomain())) : std::nullopt;
  EXPECT_EQ(outcome->second, expectedDomain);
  EXPECT_EQ(harness.preferences().stringForKey(Key::aboutUsLink.key), c.aboutUs);
  if (!c.logLine.empty()) {
    bool found = false;
    for (const auto& line : harness.lines()) found = found || line.rfind(c.logLine, 0) == 0;
    EXPECT_TRUE(found) << "no line starting with: " << c.logLine << " in " << testing::PrintToString(harness.lines());
  }
}

const std::string kFullTable = R"({"about_us_link":"https://about","get_support_link":"https://support",)"
                               R"("email_link":"mailto:help@x","domain_link_1":"<source>"})";

INSTANTIATE_TEST_SUITE_P(
    Table, FetchLinks,
    ::testing::Values(
        LinksCase{"first_source_trimmed", kFullTable, {}, ScriptedReply::text(200, "  api.corvane.test:8080\r\n"),
                  true, "api.corvane.test:8080", "https://about", "Successfully set domain_link to: api.corvane.test:8080"},
        LinksCase{"source_status_not_checked", kFullTable, {}, ScriptedReply::text(500, "api.corvane.test\n"),
                  true, "api.corvane.test", "https://about", "Base URL's: [\"about_us_link\": \"https://about\""},
        LinksCase{"blank_source_falls_back", kFullTable, {}, ScriptedReply::text(200, " \n"),
                  true, kFallbackMarker, "https://about", ""},
        LinksCase{"source_without_body", kFullTable, {}, ScriptedReply(204),
                  true, kFallbackMarker, "https://about", "No valid data received"},
        LinksCase{"source_not_utf8", kFullTable, {}, ScriptedReply::text(200, "api\xff"),
                  true, kFallbackMarker, "https://about", "No valid data received"},
        // A page, not a domain: refused at its size (nothing that large is read or stored).
        LinksCase{"source_too_large", kFullTable, {},
                  ScriptedReply::text(200, std::string(ApiClient::kMaxDomainSourceBytes + 1, 'a')), true,
                  kFallbackMarker, "https://about",
                  "Error checking domain: Failed writing received data to disk/application: answer larger than 4096 bytes"},
        LinksCase{"source_unreachable", R"({"about_us_link":"a","domain_link_1":"http://127.0.0.1:1/d"})", {}, {},
                  true, kFallbackMarker, "a", "Error checking domain: "},
        LinksCase{"first_source_not_a_url", R"({"about_us_link":"a","domain_link_1":"not a url"})", {}, {},
                  true, kFallbackMarker, "a", "Invalid URL"},
        // A source that moved is followed, not stored as the redirect page's HTML.
        LinksCase{"source_redirected", kFullTable, {},
                  ScriptedReply::text(301, "<html>Moved Permanently</html>").withHeader("Location", "/moved"), true,
                  "moved.corvane.test:8080", "https://about", "Successfully set domain_link to: moved.corvane.test:8080"},
        LinksCase{"second_source_keeps_links", R"({"about_us_link":"new","domain_link_1":"","domain_link_2":"<source>"})",
                  {}, ScriptedReply::text(200, "second.corvane.test"), true, "second.corvane.test", "old", ""},
        LinksCase{"empty_table", "{}", {}, {}, true, kFallbackMarker, "old", "Base URL's: [:]"},
        LinksCase{"array_table", "[1]", {}, {}, true, kFallbackMarker, "old", "Base URL's: [:]"},
        LinksCase{"not_json", "", ScriptedReply::text(200, "<html>"), {}, false, std::nullopt, "old",
                  "Error: Failed to parse JSON - "},
        LinksCase{"no_body", "", ScriptedReply(204), {}, false, std::nullopt, "old", "No data received"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Discovery, MissingLinksAreRemovedAndAnUnreachableHostKeepsTheSplash) {
  https_.answer("GET", "/app-api-v1/get-links", ScriptedReply::json(200, R"({"domain_link_1":"x y"})"));
  {
    test::ApiHarness harness(https_.hostPort(), pki_.writeCaFile(folder_.path()));
    harness.preferences().setString(Key::whatsappLink.key, "https://wa.old");
    EXPECT_TRUE(harness.fetchLinks());
    EXPECT_EQ(harness.preferences().stringForKey(Key::whatsappLink.key), std::nullopt);
  }
  test::ApiHarness unreachable("127.0.0.1:1");
  EXPECT_FALSE(unreachable.fetchLinks());
  EXPECT_FALSE(unreachable.preferences().stringForKey(Key::domainLink.key));
  bool logged = false;
  for (const auto& line : unreachable.lines()) logged = logged || line.rfind("Error fetching links: ", 0) == 0;
  EXPECT_TRUE(logged);
}

TEST_F(Discovery, UntrustedCertificateIsAFetchError) {
  https_.answer("GET", "/app-api-v1/get-links", ScriptedReply::json(200, "{}"));
  test::ApiHarness harness(https_.hostPort());  // the test CA is not trusted
  EXPECT_FALSE(harness.fetchLinks());
  EXPECT_FALSE(harness.preferences().stringForKey(Key::domainLink.key));
}

// ---- announcements -------------------------------------------------------------------------

struct AnnouncementCase {
  const char* name;
  ScriptedReply reply;
  std::optional<std::string> one;  // stored afterwards; "kept" was stored before
  std::string logLine;
  friend void PrintTo(const AnnouncementCase& c, std::ostream* out) { *out << c.name; }
};

class FetchAnnouncements : public Discovery, public ::testing::WithParamInterface<AnnouncementCase> {};

TEST_P(FetchAnnouncements, StoresBothTextsOrLogsWhy) {
  const auto& c = GetParam();
  https_.answer("GET", "/app-api-v1/announcement-info", c.reply);
  test::ApiHarness harness(https_.hostPort(), pki_.writeCaFile(folder_.path()));
  harness.preferences().setString(Key::announcementOne.key, "kept");
  harness.client().fetchAnnouncements();
  if (c.logLine.empty()) {
    // "announcementTwo" is written last.
    ASSERT_TRUE(test::eventually([&] { return harness.preferences().stringForKey(Key::announcementTwo.key) == "Two"; }));
    EXPECT_EQ(harness.preferences().stringForKey(Key::announcementOne.key), c.one);
  } else {
    ASSERT_TRUE(test::eventually([&] {
      for (const auto& line : harness.lines()) if (line.rfind(c.logLine, 0) == 0) return true;
      return false;
    })) << c.logLine;
    EXPECT_EQ(harness.preferences().stringForKey(Key::announcementOne.key), "kept");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, FetchAnnouncements,
    ::testing::Values(
        AnnouncementCase{"both", ScriptedReply::json(200, R"({"announcement_one":"One","announcement_two":"Two"})"),
                         "One", ""},
        AnnouncementCase{"status_not_checked",
                         ScriptedReply::json(503, R"({"announcement_one":"","announcement_two":"Two"})"), "", ""},
        AnnouncementCase{"only_one", ScriptedReply::json(200, R"({"announcement_one":"One"})"), "kept",
                         "Failed to parse JSON"},
        AnnouncementCase{"not_json", ScriptedReply::text(200, "oops"), "kept", "JSON decoding error: "},
        AnnouncementCase{"no_body", ScriptedReply(204), "kept", "No data received"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace corvane::api
