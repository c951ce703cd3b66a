#include "platform/log/control_escaper.h"

#include <gtest/gtest.h>

#include "platform/log/log.h"

namespace corvane::platform {
namespace {

TEST(ControlEscaper, EscapesWhatATerminalActsOnAndNothingElse) {
  struct Case {
    std::string in;
    std::string out;
    std::string oneLine;  // with line breaks escaped too
  };
  const Case cases[] = {
      {"plain ascii", "plain ascii", "plain ascii"},
      {"\x1b]0;title\x07", "\\u001B]0;title\\u0007", "\\u001B]0;title\\u0007"},
      {"a\rb\bc\x7f", "a\\u000Db\\u0008c\\u007F", "a\\u000Db\\u0008c\\u007F"},
      {"two\nlines\tand tab", "two\nlines\tand tab", "two\\u000Alines\\u0009and tab"},
      {"csi \xc2\x9b" "2J", "csi \\u009B2J", "csi \\u009B2J"},
      // Other text, and bytes that are not UTF-8, pass as they are.
      {"caf\xc3\xa9 \xc2\xa0 \xe2\x80\xa6 \xff", "caf\xc3\xa9 \xc2\xa0 \xe2\x80\xa6 \xff",
       "caf\xc3\xa9 \xc2\xa0 \xe2\x80\xa6 \xff"},
      {"ends in \xc2", "ends in \xc2", "ends in \xc2"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ControlEscaper::escaped(c.in), c.out) << c.in;
    EXPECT_EQ(ControlEscaper::escaped(c.in, true), c.oneLine) << c.in;
  }
}

TEST(ControlEscaper, RecognisesAControlSplitBetweenFeeds) {
  ControlEscaper escaper;
  std::string out;
  escaper.feed("a\xc2", out);
  escaper.feed("\x9b" "b\xc2", out);
  escaper.feed("\xa9", out);
  escaper.finish(out);
  EXPECT_EQ(out, "a\\u009Bb\xc2\xa9");
}

TEST(Log, LinesAreOneLineWithoutTerminalControls) {
  std::shared_ptr<CapturingSink> sink;
  const Log log = Log::capturing(sink);
  log.info("Server: \x1b[31mred\nsecond line");
  EXPECT_EQ(sink->lines(), (std::vector<std::string>{"Server: \\u001B[31mred\\u000Asecond line"}));
}

}  // namespace
}  // namespace corvane::platform
