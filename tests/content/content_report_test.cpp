#include "content/content_report.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace varnholt::content {
namespace {

// Collects what is reported while it lives, then puts the previous sink back.
class Collected {
 public:
  Collected() : previous_(setContentReportSink([this](const std::string& m) { messages.push_back(m); })) {}
  ~Collected() { setContentReportSink(std::move(previous_)); }
  std::vector<std::string> messages;

 private:
  ContentReportSink previous_;
};

TEST(ContentReport, ControlBytesAndTheBackslashAreEscapedPrintableTextIsNot) {
  EXPECT_EQ(escapeForTerminal("plain text ~!"), "plain text ~!");
  EXPECT_EQ(escapeForTerminal(std::string("a\x1b]0;t\a\\b\n\x7f\xff", 12)),
            "a\\x1b]0;t\\x07\\x5cb\\x0a\\x7f\\xff");
  EXPECT_EQ(escapeForTerminal(std::string("\0", 1)), "\\x00");
}

TEST(ContentReport, EachProblemIsReportedOnceEscapedAndCut) {
  Collected reports;
  reportContentProblem("map.bmp\x1b is missing");
  reportContentProblem("map.bmp\x1b is missing");
  reportContentProblem("other problem");
  const std::string longMessage(kMaxContentReportLength + 50, 'x');
  reportContentProblem(longMessage);
  reportContentProblem(longMessage + "y");  // the same once cut: not shown again
  ASSERT_EQ(reports.messages.size(), 3u);
  EXPECT_EQ(reports.messages[0], "map.bmp\\x1b is missing");
  EXPECT_EQ(reports.messages[1], "other problem");
  EXPECT_EQ(reports.messages[2], std::string(kMaxContentReportLength, 'x') + "...");

  // A new sink starts afresh: what was reported before is reported again.
  Collected again;
  reportContentProblem("other problem");
  EXPECT_EQ(again.messages, std::vector<std::string>{"other problem"});
}

TEST(ContentReport, AfterTheLimitTheRestAreNotedOnceNotShown) {
  Collected reports;
  for (int k = 0; k < kMaxContentReports + 20; ++k) reportContentProblem("problem " + std::to_string(k));
  reportContentProblem("problem 3");  // seen before: still quiet
  ASSERT_EQ(reports.messages.size(), static_cast<std::size_t>(kMaxContentReports) + 1);
  EXPECT_EQ(reports.messages[kMaxContentReports - 1], "problem " + std::to_string(kMaxContentReports - 1));
  EXPECT_EQ(reports.messages.back(), "more problems with the campaign's files; further ones are not shown");
}

}  // namespace
}  // namespace varnholt::content
