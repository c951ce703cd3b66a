// The pure readers of untyped answers (link table, announcements, domain source) and the
// standard answer rule, as tables of wire text against what the client takes from it.
#include <gtest/gtest.h>

#include "api/announcements.h"
#include "api/domain_source.h"
#include "api/link_table.h"
#include "api/request_conventions.h"
#include "api/untyped_json.h"

namespace corvane::api {
namespace {

using platform::UrlResponse;

TEST(LinkTable, TakesOnlyStringMembers) {
  auto table = parseLinkTable(R"({"about_us_link":"https://a","email_link":5,"whatsapp_link":null,
      "domain_link_1":"http://src1","domain_link_2":"","get_support_link":"s","extra":[1,{"k":true}]})");
  ASSERT_TRUE(table) << table.error().toString();
  EXPECT_EQ(table->aboutUsLink, "https://a");
  EXPECT_EQ(table->emailLink, std::nullopt);
  EXPECT_EQ(table->whatsappLink, std::nullopt);
  EXPECT_EQ(table->getSupportLink, "s");
  EXPECT_EQ(table->domainLink1, "http://src1");
  EXPECT_EQ(table->domainLink2, "");
  EXPECT_EQ(table->description,
            R"(["about_us_link": "https://a", "email_link": 5, "whatsapp_link": <null>, )"
            R"("domain_link_1": "http://src1", "domain_link_2": "", "get_support_link": "s", )"
            R"("extra": [1, ["k": 1]]])");
}

TEST(LinkTable, AHugeNumberUnderAnIgnoredKeyDoesNotFailTheTable) {
  auto table = parseLinkTable(R"({"about_us_link":"https://a","big":18446744073709551616,"huge":[1e400]})");
  ASSERT_TRUE(table) << table.error().toString();
  EXPECT_EQ(table->aboutUsLink, "https://a");
}

TEST(LinkTable, NonObjectsReadAsEmptyAndNonJsonFails) {
  struct Case {
    const char* body;
    bool ok;
  } cases[] = {
      {"{}", true}, {"[1,2]", true}, {"  {\"a\":\"b\"}\n", true},
      {"", false}, {"not json", false}, {"5", false}, {"\"text\"", false}, {"{\"a\":", false},
      {"{\"a\":\"\xff\"}", false},
  };
  for (const auto& c : cases) {
    auto table = parseLinkTable(c.body);
    ASSERT_EQ(table.ok(), c.ok) << c.body;
    if (table) {
      EXPECT_FALSE(table->domainLink1) << c.body;
    } else {
      EXPECT_EQ(table.error().domain, "JSONError");
      EXPECT_FALSE(table.error().description.empty());
    }
  }
  EXPECT_EQ(parseLinkTable("[]")->description, "[:]");
}

TEST(LinkTable, DescriptionOfAHugeTableIsCut) {
  std::string body = R"({"k":")" + std::string(100'000, 'x') + R"("})";
  auto table = parseLinkTable(body);
  ASSERT_TRUE(table);
  EXPECT_LE(table->description.size(), kMaxDescriptionLength + 3);
}

TEST(Announcements, BothTextsOrNothing) {
  struct Case {
    const char* body;
    bool json;
    std::optional<std::pair<std::string, std::string>> texts;
  } cases[] = {
      {R"({"announcement_one":"A","announcement_two":"B"})", true, std::pair{"A", "B"}},
      {R"({"announcement_one":"","announcement_two":"","x":1})", true, std::pair{"", ""}},
      {R"({"announcement_one":"A"})", true, std::nullopt},
      {R"({"announcement_one":"A","announcement_two":2})", true, std::nullopt},
      {R"([{"announcement_one":"A","announcement_two":"B"}])", true, std::nullopt},
      {"<html>", false, std::nullopt},
  };
  for (const auto& c : cases) {
    auto parsed = parseAnnouncements(c.body);
    ASSERT_EQ(parsed.ok(), c.json) << c.body;
    if (!parsed) continue;
    ASSERT_EQ(parsed->has_value(), c.texts.has_value()) << c.body;
    if (c.texts) {
      EXPECT_EQ((*parsed)->one, c.texts->first);
      EXPECT_EQ((*parsed)->two, c.texts->second);
    }
  }
}

TEST(DomainSource, TrimsWhitespaceAndLineBreaksOnly) {
  struct Case {
    std::optional<std::string> body;
    DomainSourceText kind;
    std::string domain;
  } cases[] = {
      {"  api.example.net:8080\r\n", DomainSourceText::domain, "api.example.net:8080"},
      {"\t\n127.0.0.1:8080", DomainSourceText::domain, "127.0.0.1:8080"},
      {"a b", DomainSourceText::domain, "a b"},  // inner spaces stay; the POST then refuses it
      {"\xC2\xA0host\xE2\x80\xA8", DomainSourceText::domain, "host"},  // NBSP, line separator
      {"h\xC3\xA9te", DomainSourceText::domain, "h\xC3\xA9te"},
      {" \n\t ", DomainSourceText::blank, ""},
      {std::nullopt, DomainSourceText::notText, ""},
      {"host\xff", DomainSourceText::notText, ""},
      {"\xE2\x80", DomainSourceText::notText, ""},  // cut-off sequence
  };
  for (const auto& c : cases) {
    auto answer = readDomainSource(c.body);
    EXPECT_EQ(answer.kind, c.kind) << c.body.value_or("<none>");
    EXPECT_EQ(answer.domain, c.domain) << c.body.value_or("<none>");
  }
}

TEST(RequestConventions, PostUrlNeedsAHostAndAValidUrl) {
  auto url = [](std::string_view domain) {
    auto made = apiPostUrl(domain, "/app-api-v1/login");
    return made ? *made : made.error().toString();
  };
  EXPECT_EQ(url("127.0.0.1:8080"), "http://127.0.0.1:8080/app-api-v1/login");
  EXPECT_EQ(url("api.example.net"), "http://api.example.net/app-api-v1/login");
  for (const char* bad : {"", "a b", "host:port", "[::1", "ho\"st"}) {
    auto url = apiPostUrl(bad, "/app-api-v1/login");
    ASSERT_FALSE(url) << bad;
    EXPECT_EQ(url.error().domain, "EndpointError");
    EXPECT_EQ(url.error().code, 2);
  }
}

TEST(RequestConventions, StandardAnswerRule) {
  struct Case {
    Result<UrlResponse> answer;
    std::optional<std::string> body;  // expected success
    Error error;                      // expected failure
  } cases[] = {
      {UrlResponse{200, "{}"}, "{}", {}},
      {UrlResponse{299, "x"}, "x", {}},
      {UrlResponse{204, std::nullopt}, std::nullopt, Error("NoDataError", 0)},
      {UrlResponse{302, "moved"}, std::nullopt, Error("HTTPError", 302)},
      {UrlResponse{199, "{}"}, std::nullopt, Error("HTTPError", 199)},
      {UrlResponse{500, R"({"status_code":200})"}, std::nullopt, Error("HTTPError", 500)},
      {UrlResponse{0, std::nullopt}, std::nullopt, Error("HTTPError", 0)},
      {Error("URLError", 28, "Timeout was reached"), std::nullopt, Error("URLError", 28)},
  };
  for (auto& c : cases) {
    auto result = standardAnswer(c.answer);
    if (c.body) {
      ASSERT_TRUE(result);
      EXPECT_EQ(*result, *c.body);
    } else {
      ASSERT_FALSE(result);
      EXPECT_EQ(result.error(), c.error) << result.error().toString();
    }
  }
  EXPECT_EQ(standardAnswer(UrlResponse{302, std::nullopt}).error().description,
            "The operation couldn\u2019t be completed. (HTTPError error 302.)");
}

}  // namespace
}  // namespace corvane::api
