// The settings file: every line it cannot use is named by its line number and skipped, the command line
// wins over it, and what --print-settings writes reads back to the same settings.
#include "app/settings.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
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
      "window = windowed\nscaling = integer\nkeys = frame\nclassic = yes\npointer = no\ncampaign = /a\n", "s",
      "/", {});
  ASSERT_TRUE(file.errors.empty());
  const auto line = parseCommandLine({"--fullscreen", "--data", "/b"});
  ASSERT_TRUE(line.options.has_value());
  const Settings settings = applyChanges(applyChanges(Settings{}, file.changes), line.options->settings);
  EXPECT_EQ(settings.window, WindowMode::Fullscreen);
  EXPECT_EQ(settings.scaling, Scaling::Integer);
  EXPECT_EQ(settings.keys, KeyMode::Frame);
  EXPECT_TRUE(settings.classic);
  EXPECT_FALSE(settings.pointer);
  EXPECT_EQ(settings.campaign, "/b");
  EXPECT_TRUE(Settings{}.pointer);
  EXPECT_TRUE(applyChanges(settings, parseCommandLine({"--pointer"}).options->settings).pointer);
  EXPECT_FALSE(parseCommandLine({"--no-pointer"}).options->settings.pointer.value_or(true));
  EXPECT_FALSE(parseCommandLine({"--pointer=no"}).options.has_value());
  EXPECT_NE(parseSettings("pointer = off\n", "s", "/", {}).errors.at(0).find("pointer is yes or no"),
            std::string::npos);

  for (const Settings& shown : {Settings{}, settings}) {
    const SettingsFile again = parseSettings(formatSettings(shown), "printed", "/", {});
    EXPECT_TRUE(again.errors.empty()) << ::testing::PrintToString(again.errors);
    const Settings back = applyChanges(Settings{}, again.changes);
    EXPECT_EQ(back.window, shown.window);
    EXPECT_EQ(back.scaling, shown.scaling);
    EXPECT_EQ(back.keys, shown.keys);
    EXPECT_EQ(back.classic, shown.classic);
    EXPECT_EQ(back.pointer, shown.pointer);
    EXPECT_EQ(back.campaign, shown.campaign);
  }
  // --help lists every setting the file takes.
  for (const char* key : {"window =", "scaling =", "keys =", "classic =", "pointer =", "campaign =",
                          "--classic", "--no-pointer"})
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

TEST(SettingsWriterTest, KeepsEveryLineAndReplacesTheValueThatCountsInPlace) {
  const std::string text =
      "# my settings\n"
      "colour = blue\n"                   // unknown: kept
      "window = windowed\n"               // not the line that counts
      "window =   fullscreen   # mine\n"  // counts: its value is replaced, spacing and comment kept
      "window = huge\n"                   // unusable: left alone
      "keys=frame\n"
      "\n"
      "  # pointer = yes\n";
  StoredSettings stored;
  stored.window = WindowMode::Windowed;
  stored.keys = KeyMode::Press;
  stored.pointer = false;
  const std::string updated = updateSettingsText(text, stored);
  EXPECT_EQ(updated,
            "# my settings\n"
            "colour = blue\n"
            "window = windowed\n"
            "window =   windowed   # mine\n"
            "window = huge\n"
            "keys=press\n"
            "\n"
            "  # pointer = yes\n"
            "pointer = no\n");
  // What it reads back to: the stored values, with the same lines reported as before.
  const SettingsFile before = parseSettings(text, "s", "/", {});
  const SettingsFile after = parseSettings(updated, "s", "/", {});
  EXPECT_EQ(after.errors, before.errors);
  EXPECT_EQ(after.changes.window, WindowMode::Windowed);
  EXPECT_EQ(after.changes.keys, KeyMode::Press);
  EXPECT_EQ(after.changes.pointer, false);
  EXPECT_FALSE(after.changes.scaling.has_value()) << "what is not stored is not written";

  // CR LF lines stay CR LF and appended lines take the file's ending; a last line without a newline gets
  // one before what is appended.
  StoredSettings scaling;
  scaling.scaling = Scaling::Integer;
  EXPECT_EQ(updateSettingsText("keys = frame\r\nscaling = fit # x\r\n", scaling),
            "keys = frame\r\nscaling = integer # x\r\n");
  EXPECT_EQ(updateSettingsText("keys = frame\r\nwindow = windowed", scaling),
            "keys = frame\r\nwindow = windowed\r\nscaling = integer\r\n");
  EXPECT_EQ(updateSettingsText("scaling = fit", scaling), "scaling = integer");
  EXPECT_EQ(updateSettingsText("", scaling), "scaling = integer\n");
  // A line with a NUL byte does not count, and is left alone.
  const std::string nul("scaling = fit\0\n", 15);
  EXPECT_EQ(updateSettingsText(nul, scaling), nul + "scaling = integer\n");
  EXPECT_EQ(updateSettingsText("# only a comment\n", StoredSettings{}), "# only a comment\n");
}

class SaveSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("varnholt-save-" + std::to_string(::getpid()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::permissions(dir_ / "locked", fs::perms::owner_all, ignored);
    fs::remove_all(dir_);
  }
  static std::string read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }
  // The folder holds exactly these names.
  static std::vector<std::string> names(const fs::path& folder) {
    std::vector<std::string> found;
    for (const auto& entry : fs::directory_iterator(folder))
      found.push_back(entry.path().filename().string());
    std::sort(found.begin(), found.end());
    return found;
  }
  fs::path dir_;
};

TEST_F(SaveSettingsTest, WritesANewFileAndFolderOrUpdatesTheOldOneKeepingItsPermissions) {
  StoredSettings stored;
  stored.pointer = false;
  stored.window = WindowMode::Windowed;
  std::string error;
  // No folder, no file: the printed defaults with the stored values in them.
  const fs::path fresh = dir_ / "config" / "varnholt" / "settings.ini";
  ASSERT_TRUE(saveSettings(fresh, stored, error)) << error;
  const SettingsFile file = loadSettingsFile(fresh, std::nullopt);
  EXPECT_TRUE(file.errors.empty()) << ::testing::PrintToString(file.errors);
  EXPECT_EQ(file.changes.pointer, false);
  EXPECT_EQ(file.changes.window, WindowMode::Windowed);
  EXPECT_EQ(file.changes.keys, KeyMode::Press);
  EXPECT_NE(read(fresh).find("# fullscreen or windowed"), std::string::npos) << "with its comments";
  EXPECT_EQ(names(fresh.parent_path()), std::vector<std::string>{"settings.ini"}) << "no new file left";

  const fs::path old = dir_ / "settings.ini";
  std::ofstream(old, std::ios::binary) << "# mine\nwindow = fullscreen\n";
  fs::permissions(old, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  ASSERT_TRUE(saveSettings(old, stored, error)) << error;
  EXPECT_EQ(read(old), "# mine\nwindow = windowed\npointer = no\n");
  EXPECT_EQ(fs::status(old).permissions() & fs::perms::mask,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(SaveSettingsTest, AFileItCannotReadOrAFolderItCannotWriteLeavesTheOldFileAsItWas) {
  StoredSettings stored;
  stored.keys = KeyMode::Frame;
  std::string error;

  // The settings file is a folder.
  fs::create_directories(dir_ / "folder.ini" / "inside");
  EXPECT_FALSE(saveSettings(dir_ / "folder.ini", stored, error));
  EXPECT_NE(error.find("a folder"), std::string::npos) << error;
  EXPECT_TRUE(fs::is_directory(dir_ / "folder.ini" / "inside"));

  // The new file cannot be made: a folder stands where it goes.
  const fs::path old = dir_ / "settings.ini";
  std::ofstream(old, std::ios::binary) << "keys = press # mine\n";
  fs::path blocked = old;
  blocked += ".new-" + std::to_string(::getpid());
  fs::create_directories(blocked / "inside");
  error.clear();
  EXPECT_FALSE(saveSettings(old, stored, error));
  EXPECT_NE(error.find("cannot write"), std::string::npos) << error;
  EXPECT_EQ(read(old), "keys = press # mine\n");
  fs::remove_all(blocked);

  // A folder that cannot be written (root writes anywhere; then only what can be seen is checked).
  const fs::path locked = dir_ / "locked";
  fs::create_directories(locked);
  std::ofstream(locked / "settings.ini", std::ios::binary) << "keys = press\n";
  fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
  error.clear();
  const bool saved = saveSettings(locked / "settings.ini", stored, error);
  if (::access(locked.c_str(), W_OK) != 0) {
    EXPECT_FALSE(saved);
    EXPECT_NE(error.find(locked.string()), std::string::npos) << error;
    EXPECT_EQ(read(locked / "settings.ini"), "keys = press\n");
  } else {
    EXPECT_TRUE(saved) << error;
  }
  EXPECT_EQ(names(locked), std::vector<std::string>{"settings.ini"}) << "no new file left";
}

}  // namespace
}  // namespace varnholt::app
