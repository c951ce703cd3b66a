#include "platform/opener/url_text.h"

#include <gtest/gtest.h>

namespace corvane::platform {
namespace {

TEST(UrlText, ValidUrls) {
  struct Case {
    const char* text;
    bool valid;
  };
  const Case cases[] = {
      {"https://corvane.net/about", true},
      {"https://t.me/corvane_support", true},
      {"mailto:help@corvane.net?subject=&body=", true},
      {"http://127.0.0.1:8080/x?y=1#z", true},
      {"", false},
      {"not a url", false},
      {"https://exa mple.com", false},
      {"/relative/path", false},
      {"https://bücher.de", false},  // raw non-ASCII must be encoded first
      {"ht tp://x", false},
  };
  for (const Case& c : cases) EXPECT_EQ(formsValidUrl(c.text), c.valid) << c.text;
}

TEST(UrlText, PercentEncodesWithTheQuerySet) {
  struct Case {
    const char* text;
    const char* encoded;
  };
  const Case cases[] = {
      {"mailto:help@corvane.net?subject=&body=", "mailto:help@corvane.net?subject=&body="},
      {"mailto:help desk@corvane.net?subject=&body=",
       "mailto:help%20desk@corvane.net?subject=&body="},
      {"mailto:hjälp@corvane.se", "mailto:hj%C3%A4lp@corvane.se"},
      {"a%b", "a%25b"},
      {"a/b?c=d&e+f;g", "a/b?c=d&e+f;g"},
      {"<x>\"#[]", "%3Cx%3E%22%23%5B%5D"},
  };
  for (const Case& c : cases) EXPECT_EQ(percentEncodeQuery(c.text), c.encoded) << c.text;
}

}  // namespace
}  // namespace corvane::platform
