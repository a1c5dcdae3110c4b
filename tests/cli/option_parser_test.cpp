// The shared command-line reader: spellings, values, the first mistake, stopping flags, numbers.
#include "cli/option_parser.h"

#include <gtest/gtest.h>

#include <climits>

namespace varnholt::cli {
namespace {

struct Seen {
  int verbose = 0;
  bool help = false;
  std::vector<std::string> files;
};

OptionParser parserFor(Seen& seen) {
  OptionParser parser;
  parser.flag({"--verbose", "-v"}, [&] { ++seen.verbose; })
      .flag(
          {"--help"}, [&] { seen.help = true; }, true)
      .value("--file", "a file", [&](const std::string& value) {
        if (value == "bad") return std::string("--file cannot be 'bad'");
        seen.files.push_back(value);
        return std::string();
      });
  return parser;
}

TEST(OptionParserTest, ReadsFlagsAndValuesInBothSpellingsInOrder) {
  Seen seen;
  const auto result = parserFor(seen).parse({"-v", "--file", "a", "--file=b=c", "--verbose", "--file=-"});
  EXPECT_TRUE(result.ok()) << result.error;
  EXPECT_FALSE(result.stopped);
  EXPECT_EQ(seen.verbose, 2);
  EXPECT_EQ(seen.files, (std::vector<std::string>{"a", "b=c", "-"}));
}

TEST(OptionParserTest, ReportsTheFirstMistake) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
      {{"--file"}, "--file needs a file"},
      {{"--file="}, "--file needs a file"},
      {{"--file", ""}, "--file needs a file"},
      {{"--file", "bad", "--nope"}, "--file cannot be 'bad'"},
      {{"--nope", "--file"}, "unknown option '--nope'"},
      {{"--verbose=yes"}, "--verbose takes no value"},
      {{"word"}, "unknown option 'word'"},
      {{"-v=1"}, "unknown option '-v=1'"},
  };
  for (const auto& [args, error] : cases) {
    Seen seen;
    EXPECT_EQ(parserFor(seen).parse(args).error, error) << args.front();
  }
}

TEST(OptionParserTest, AStoppingFlagLeavesTheRestUnread) {
  Seen seen;
  const auto result = parserFor(seen).parse({"-v", "--help", "--nope", "--file"});
  EXPECT_TRUE(result.ok());
  EXPECT_TRUE(result.stopped);
  EXPECT_TRUE(seen.help);
  EXPECT_EQ(seen.verbose, 1);

  const char* argv[] = {"program", "--file", "x"};
  Seen fromArgv;
  EXPECT_TRUE(parserFor(fromArgv).parse(3, argv).ok());
  EXPECT_EQ(fromArgv.files, std::vector<std::string>{"x"});
}

TEST(OptionParserTest, NumbersAreWholeAndInRange) {
  EXPECT_EQ(parseNumber("1", 1), 1);
  EXPECT_EQ(parseNumber("2147483647", 1), INT_MAX);
  EXPECT_EQ(parseNumber("0", 0), 0);
  for (const char* bad : {"0", "-3", "", " 5", "5 ", "12x", "1e3", "2147483648", "+4"})
    EXPECT_FALSE(parseNumber(bad, 1).has_value()) << bad;
  int tries = 7;
  OptionParser parser;
  parser.value("--tries", "a number", numberIn(tries, 2, "--tries needs a number from 2"));
  EXPECT_EQ(parser.parse({"--tries", "1"}).error, "--tries needs a number from 2");
  EXPECT_EQ(tries, 7);
  EXPECT_TRUE(parser.parse({"--tries=12"}).ok());
  EXPECT_EQ(tries, 12);
}

}  // namespace
}  // namespace varnholt::cli
