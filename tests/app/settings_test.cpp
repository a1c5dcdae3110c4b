// The settings file: every line it cannot use is named by its line number and skipped, the command line
// wins over it, and what --print-settings writes reads back to the same settings.
#include "app/settings.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/command_line.h"

namespace varnholt::app {
namespace {

namespace fs = std::filesystem;

TEST(SettingsTest, EveryUnusableLineIsReportedByNumberAndTheRestStillCounts) {
  const char raw[] =
      "# comment\n"
      "\n"
      "window = windowed   # a comment after the value\n"
      "scaling\n"               // 4: no '='
      "= fit\n"                 // 5: no key
      "keys =\n"                // 6: no value
      "keys = tap\n"            // 7: not a key mode
      "colour = blue\n"         // 8: not a setting
      "window = full screen\n"  // 9: not a window mode, and the earlier line stays
      "scaling = integer\r\n"   // 10: a line ending in CR LF is fine
      "keys = press\n"
      "campaign = c#1\n"  // 12: '#' inside a word is part of it
      "scaling = fit #\tx\n"
      "bad\0line = 1\n"   // 14: a NUL byte
      "classic = true\n"  // 15: not yes or no
      "classic = yes\n"
      "  window\t=\tfullscreen";  // 17: no newline at the end, tabs around '='
  const SettingsFile file =
      parseSettings(std::string_view(raw, sizeof raw - 1), "s.ini", "/cfg", std::nullopt);
  std::vector<std::string> lines;
  for (const std::string& error : file.errors) lines.push_back(error.substr(0, error.find(": ")));
  EXPECT_EQ(lines, (std::vector<std::string>{"s.ini:4", "s.ini:5", "s.ini:6", "s.ini:7", "s.ini:8", "s.ini:9",
                                             "s.ini:14", "s.ini:15"}))
      << ::testing::PrintToString(file.errors);
  EXPECT_NE(file.errors[4].find("'colour'"), std::string::npos) << file.errors[4];
  EXPECT_EQ(file.changes.window, WindowMode::Fullscreen);
  EXPECT_EQ(file.changes.scaling, Scaling::Fit);
  EXPECT_EQ(file.changes.keys, KeyMode::Press);
  EXPECT_EQ(file.changes.campaign, "/cfg/c#1");
  EXPECT_EQ(file.changes.classic, true);
  EXPECT_NE(file.errors[7].find("classic is yes or no, not 'true'"), std::string::npos) << file.errors[7];
}

TEST(SettingsTest, PressKeysByDefaultAndClassicPlaysWithFrameKeysWhateverKeysSays) {
  const Settings defaults;
  EXPECT_EQ(defaults.keys, KeyMode::Press);
  EXPECT_FALSE(defaults.classic);
  EXPECT_EQ(keyModeInEffect(defaults), KeyMode::Press);

  // classic = yes in the file wins over its keys = press; --no-classic on the command line undoes it,
  // and --classic undoes classic = no.
  const SettingsFile file = parseSettings("keys = press\nclassic = yes\n", "s", "/", {});
  ASSERT_TRUE(file.errors.empty()) << ::testing::PrintToString(file.errors);
  const Settings fromFile = applyChanges(Settings{}, file.changes);
  EXPECT_TRUE(fromFile.classic);
  EXPECT_EQ(fromFile.keys, KeyMode::Press);
  EXPECT_EQ(keyModeInEffect(fromFile), KeyMode::Frame);

  const auto modern = parseCommandLine({"--no-classic"});
  ASSERT_TRUE(modern.options.has_value());
  EXPECT_EQ(keyModeInEffect(applyChanges(fromFile, modern.options->settings)), KeyMode::Press);

  const Settings notClassic = applyChanges(Settings{}, parseSettings("classic = no\n", "s", "/", {}).changes);
  const auto classic = parseCommandLine({"--keys=press", "--classic"});
  ASSERT_TRUE(classic.options.has_value());
  const Settings both = applyChanges(notClassic, classic.options->settings);
  EXPECT_TRUE(both.classic);
  EXPECT_EQ(keyModeInEffect(both), KeyMode::Frame);
  // A command line without the option leaves the file's choice alone.
  EXPECT_TRUE(applyChanges(fromFile, parseCommandLine({"--windowed"}).options->settings).classic);
}

TEST(SettingsTest, CampaignFoldersAreTakenFromTheFilesFolderOrHome) {
  auto campaign = [](const char* value, std::optional<std::string> home) {
    return parseSettings(std::string("campaign = ") + value, "s.ini", "/cfg/varnholt", home).changes.campaign;
  };
  EXPECT_EQ(campaign("north", std::nullopt), "/cfg/varnholt/north");
  EXPECT_EQ(campaign("../camps/./north/", std::nullopt), "/cfg/camps/north/");
  EXPECT_EQ(campaign("/srv/camp", "/home/p"), "/srv/camp");
  EXPECT_EQ(campaign("~/camp", "/home/p"), "/home/p/camp");
  EXPECT_EQ(campaign("~/camp", std::nullopt), "/cfg/varnholt/~/camp");

  EXPECT_EQ(settingsPath("/xdg", "/home/p"), fs::path("/xdg/varnholt/settings.ini"));
  EXPECT_EQ(settingsPath("relative", "/home/p"), fs::path("/home/p/.config/varnholt/settings.ini"));
  EXPECT_EQ(settingsPath(nullptr, "/home/p"), fs::path("/home/p/.config/varnholt/settings.ini"));
  EXPECT_FALSE(settingsPath("", "").has_value());
  EXPECT_FALSE(settingsPath(nullptr, nullptr).has_value());
}

TEST(SettingsTest, TheCommandLineWinsAndPrintedSettingsReadBackTheSame) {
  const SettingsFile file = parseSettings(
      "window = windowed\nscaling = integer\nkeys = frame\nclassic = yes\ncampaign = /a\n", "s", "/", {});
  ASSERT_TRUE(file.errors.empty());
  const auto line = parseCommandLine({"--fullscreen", "--data", "/b"});
  ASSERT_TRUE(line.options.has_value());
  const Settings settings = applyChanges(applyChanges(Settings{}, file.changes), line.options->settings);
  EXPECT_EQ(settings.window, WindowMode::Fullscreen);
  EXPECT_EQ(settings.scaling, Scaling::Integer);
  EXPECT_EQ(settings.keys, KeyMode::Frame);
  EXPECT_TRUE(settings.classic);
  EXPECT_EQ(settings.campaign, "/b");

  for (const Settings& shown : {Settings{}, settings}) {
    const SettingsFile again = parseSettings(formatSettings(shown), "printed", "/", {});
    EXPECT_TRUE(again.errors.empty()) << ::testing::PrintToString(again.errors);
    const Settings back = applyChanges(Settings{}, again.changes);
    EXPECT_EQ(back.window, shown.window);
    EXPECT_EQ(back.scaling, shown.scaling);
    EXPECT_EQ(back.keys, shown.keys);
    EXPECT_EQ(back.classic, shown.classic);
    EXPECT_EQ(back.campaign, shown.campaign);
  }
  // --help lists every setting the file takes.
  for (const char* key : {"window =", "scaling =", "keys =", "classic =", "campaign =", "--classic"})
    EXPECT_NE(usageText("varnholt").find(key), std::string::npos) << key;
  EXPECT_NE(formatSettings(Settings{}).find("\nclassic = no\n"), std::string::npos);
  EXPECT_NE(formatSettings(Settings{}).find("\nkeys = press\n"), std::string::npos);
}

TEST(SettingsTest, FilesThatAreMissingFoldersOrHugeAreReportedOnceOrNotAtAll) {
  const fs::path dir = fs::temp_directory_path() / ("varnholt-settings-" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir / "folder.ini");
  EXPECT_TRUE(loadSettingsFile(dir / "none.ini", std::nullopt).errors.empty());
  EXPECT_EQ(loadSettingsFile(dir / "folder.ini", std::nullopt).errors.size(), 1u);
  {
    std::ofstream huge(dir / "huge.ini");
    huge << std::string(100 * 1024, '#');
  }
  const SettingsFile huge = loadSettingsFile(dir / "huge.ini", std::nullopt);
  ASSERT_EQ(huge.errors.size(), 1u);
  EXPECT_NE(huge.errors[0].find("64 KiB"), std::string::npos);
  std::ofstream(dir / "good.ini") << "keys = press\nnonsense\n";
  const SettingsFile good = loadSettingsFile(dir / "good.ini", std::nullopt);
  EXPECT_EQ(good.changes.keys, KeyMode::Press);
  ASSERT_EQ(good.errors.size(), 1u);
  EXPECT_EQ(good.errors[0].rfind((dir / "good.ini").string() + ":2: ", 0), 0u) << good.errors[0];
  fs::remove_all(dir);
}

}  // namespace
}  // namespace varnholt::app
