// The command line and where the content is looked for.
#include "app/command_line.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/content_location.h"

namespace varnholt::app {
namespace {

namespace fs = std::filesystem;

TEST(CommandLineTest, AcceptsEveryOptionInBothSpellings) {
  auto parsed = parseCommandLine({"--windowed", "--data", "camp", "--record=keys.txt", "--version", "--help",
                                  "--scaling=integer", "--keys", "frame", "--print-settings", "--classic"});
  ASSERT_TRUE(parsed.options.has_value()) << parsed.error;
  EXPECT_EQ(parsed.options->settings.window, WindowMode::Windowed);
  EXPECT_EQ(parsed.options->settings.scaling, Scaling::Integer);
  EXPECT_EQ(parsed.options->settings.keys, KeyMode::Frame);
  EXPECT_EQ(parsed.options->settings.classic, true);
  EXPECT_TRUE(parsed.options->version);
  EXPECT_TRUE(parsed.options->help);
  EXPECT_TRUE(parsed.options->printSettings);
  EXPECT_EQ(parsed.options->settings.campaign, "camp");
  EXPECT_EQ(parsed.options->recordFile, "keys.txt");

  auto none = parseCommandLine({});
  ASSERT_TRUE(none.options.has_value());
  EXPECT_FALSE(none.options->settings.window.has_value());
  EXPECT_FALSE(none.options->settings.campaign.has_value());
  EXPECT_FALSE(none.options->settings.keys.has_value());
  EXPECT_FALSE(none.options->settings.classic.has_value());
  EXPECT_FALSE(none.options->printSettings);
}

TEST(CommandLineTest, RejectsUnknownOptionsAndMissingValues) {
  const std::vector<std::vector<std::string>> bad{
      {"--full-screen"},    {"--data"},        {"--data="},       {"--record"},     {"campaign"},
      {"--windowed", "-x"}, {"--keys", "tap"}, {"--scaling=big"}, {"--windowed=1"}, {"--classic=yes"}};
  for (const auto& args : bad) {
    auto parsed = parseCommandLine(args);
    EXPECT_FALSE(parsed.options.has_value()) << args.front();
    EXPECT_FALSE(parsed.error.empty());
  }
  EXPECT_NE(usageText("varnholt").find("--record FILE"), std::string::npos);
}

TEST(CommandLineTest, PlaytestTakesABattleOfTheCampaignAndNothingElse) {
  EXPECT_FALSE(parseCommandLine({}).options->playtest.has_value());
  for (const auto& [args, battle] : std::vector<std::pair<std::vector<std::string>, int>>{
           {{"--playtest", "1"}, 1},
           {{"--playtest=3"}, 3},
           {{"--windowed", "--playtest", "5", "--record", "k"}, 5}}) {
    const auto parsed = parseCommandLine(args);
    ASSERT_TRUE(parsed.options.has_value()) << parsed.error;
    EXPECT_EQ(parsed.options->playtest, battle);
  }
  for (const std::string value : {"0", "6", "-1", "3x", "three", " 2", "99999999999"}) {
    const auto parsed = parseCommandLine({"--playtest", value});
    EXPECT_FALSE(parsed.options.has_value()) << value;
    EXPECT_NE(parsed.error.find("--playtest is a battle from 1 to 5, not '" + value + "'"), std::string::npos)
        << parsed.error;
  }
  EXPECT_FALSE(parseCommandLine({"--playtest"}).options.has_value());
  EXPECT_NE(usageText("varnholt").find("--playtest N"), std::string::npos);
}

class ContentLocationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() /
            ("varnholt-content-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_ / "work");
    fs::create_directories(root_ / "bin");
    fs::create_directories(root_ / "share" / "varnholt" / "campaign");
  }
  void TearDown() override { fs::remove_all(root_); }

  static void fill(const fs::path& dir, const std::string& except = "") {
    for (const auto& name : requiredContentFiles()) {
      if (name != except) std::ofstream(dir / name) << "x";
    }
  }

  fs::path root_;
};

TEST_F(ContentLocationTest, PrefersDataThenWorkingDirectoryThenTheCampaignBesideTheProgram) {
  const fs::path campaign = root_ / "share" / "varnholt" / "campaign";
  const fs::path exe = root_ / "bin" / "varnholt";
  fill(campaign);

  auto search = findContent(std::nullopt, root_ / "work", exe);
  ASSERT_TRUE(search.found.has_value());
  EXPECT_EQ(fs::weakly_canonical(*search.found), fs::weakly_canonical(campaign));

  fill(root_ / "work");
  search = findContent(std::nullopt, root_ / "work", exe);
  EXPECT_EQ(search.found, root_ / "work");

  search = findContent(campaign, root_ / "work", exe);
  EXPECT_EQ(search.found, campaign);
  EXPECT_EQ(search.looked.size(), 1u);
}

TEST_F(ContentLocationTest, NamesTheMissingFileAndEveryFolderLookedIn) {
  fill(root_ / "work", "battledb.txt");
  auto search = findContent(std::nullopt, root_ / "work", root_ / "bin" / "varnholt");
  EXPECT_FALSE(search.found.has_value());
  EXPECT_EQ(search.missingFile, "battledb.txt");
  const std::string line = describeMissingContent(search);
  EXPECT_NE(line.find("battledb.txt"), std::string::npos);
  EXPECT_NE(line.find((root_ / "work").string()), std::string::npos);
  EXPECT_NE(line.find("share/varnholt/campaign"), std::string::npos);
  EXPECT_EQ(line.find('\n'), std::string::npos);

  search = findContent(root_ / "nowhere", root_ / "work", root_ / "bin" / "varnholt");
  EXPECT_FALSE(search.found.has_value());
  EXPECT_EQ(search.missingFile, requiredContentFiles().front());

  // An installed campaign with one picture gone: each folder is named with the file it lacks, so the
  // message does not send the player looking for a database the campaign does have.
  const fs::path campaign = root_ / "share" / "varnholt" / "campaign";
  fill(campaign, "title.BMP");
  search = findContent(std::nullopt, root_ / "empty", root_ / "bin" / "varnholt");
  EXPECT_FALSE(search.found.has_value());
  const std::string both = describeMissingContent(search);
  const std::string first = requiredContentFiles().front();
  EXPECT_NE(both.find(first + " is not in " + (root_ / "empty").string() + ", "), std::string::npos) << both;
  EXPECT_NE(both.find("title.BMP is not in " + campaign.string()), std::string::npos) << both;
  EXPECT_EQ(both.find(first + " is not in " + campaign.string()), std::string::npos) << both;
}

}  // namespace
}  // namespace varnholt::app
