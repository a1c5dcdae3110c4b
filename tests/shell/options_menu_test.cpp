// The options menu: each row switches its setting through the game's hooks and writes it to the settings
// file, the menu asks again on the same row, and a save that fails is said once and changes nothing else.
#include "shell/options_menu.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace varnholt::shell {
namespace {

namespace fs = std::filesystem;

// A player who gives the answers of a script, and what they were asked.
class ScriptedPrompt : public ChoicePrompt {
 public:
  struct Asked {
    std::string title;
    std::vector<std::string> choices;
    int cancel = 0;
    int highlight = 0;
  };
  explicit ScriptedPrompt(std::deque<int> answers) : answers_(std::move(answers)) {}

  int ask(std::string_view title, const std::vector<std::string>& choices, int cancel) override {
    return askFrom(title, choices, cancel, 0);
  }
  int askFrom(std::string_view title, const std::vector<std::string>& choices, int cancel,
              int highlight) override {
    asked.push_back({std::string(title), choices, cancel, highlight});
    if (answers_.empty()) return kClosed;
    const int answer = answers_.front();
    answers_.pop_front();
    return answer;
  }

  std::vector<Asked> asked;

 private:
  std::deque<int> answers_;
};

// The game's side of the hooks: the settings in effect and each change put into effect.
struct Game {
  app::Settings settings;
  int applied = 0;
  OptionsHooks hooks() {
    return {[this] { return settings; },
            [this](const app::Settings& next) {
              settings = next;
              ++applied;
            }};
  }
};

struct TempDir {
  fs::path path =
      fs::temp_directory_path() / ("varnholt-options-" + std::to_string(::getpid()) + "-" +
                                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
  TempDir() {
    fs::remove_all(path);
    fs::create_directories(path);
  }
  ~TempDir() { fs::remove_all(path); }
};

std::string read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(OptionsMenu, EachRowSwitchesItsSettingAtOnceSavesItAndAsksAgainOnTheSameRow) {
  const TempDir dir;
  const fs::path file = dir.path / "settings.ini";
  std::ofstream(file, std::ios::binary) << "# mine\nkeys = press   # my keys\n";
  Game game;
  std::ostringstream log;
  OptionsMenu menu(game.hooks(), file, &log);
  ScriptedPrompt prompt({OptionsMenu::kDisplay, OptionsMenu::kScaling, OptionsMenu::kKeys,
                         OptionsMenu::kPointer, OptionsMenu::kPointer, OptionsMenu::kBack});
  EXPECT_EQ(menu.run(prompt), OptionsMenu::kBack);

  ASSERT_EQ(prompt.asked.size(), 6u);
  const std::vector<int> highlights{0, 0, 1, 2, 3, 3};
  for (std::size_t i = 0; i < prompt.asked.size(); ++i) {
    EXPECT_EQ(prompt.asked[i].title, "Options");
    EXPECT_EQ(prompt.asked[i].cancel, OptionsMenu::kBack) << "Escape and Backspace go back";
    EXPECT_EQ(prompt.asked[i].highlight, highlights[i]) << i;
  }
  EXPECT_EQ(prompt.asked[0].choices,
            (std::vector<std::string>{"Display: Full screen", "Scaling: Fit", "Keys: Once per press",
                                      "Pointer: On", "Back"}));
  EXPECT_EQ(prompt.asked[4].choices, (std::vector<std::string>{"Display: Window", "Scaling: Whole steps",
                                                               "Keys: Every frame", "Pointer: Off", "Back"}));
  // Each pick put its change into effect before the next question (whose rows show it).
  EXPECT_EQ(game.applied, 5);
  // And was written into the player's file, their lines kept.
  EXPECT_EQ(read(file),
            "# mine\nkeys = frame   # my keys\nwindow = windowed\nscaling = integer\npointer = yes\n");
  EXPECT_TRUE(log.str().empty());
  EXPECT_TRUE(menu.lastError().empty());
}

TEST(OptionsMenu, AFailedSaveIsSaidInOneLineAndTheSwitchStillTakes) {
  const TempDir dir;
  fs::create_directories(dir.path / "settings.ini");  // a folder where the file should be
  Game game;
  std::ostringstream log;
  OptionsMenu menu(game.hooks(), dir.path / "settings.ini", &log);
  // Pointer, OK on the failure, then Back.
  ScriptedPrompt prompt({OptionsMenu::kPointer, 0, OptionsMenu::kBack});
  EXPECT_EQ(menu.run(prompt), OptionsMenu::kBack);
  ASSERT_EQ(prompt.asked.size(), 3u);
  EXPECT_EQ(prompt.asked[1].title.rfind("Settings not saved: ", 0), 0u) << prompt.asked[1].title;
  EXPECT_NE(prompt.asked[1].title.find("a folder"), std::string::npos) << prompt.asked[1].title;
  EXPECT_EQ(prompt.asked[1].title.find('\n'), std::string::npos);
  EXPECT_EQ(prompt.asked[1].choices, std::vector<std::string>{"OK"});
  EXPECT_EQ(prompt.asked[2].title, "Options");
  EXPECT_EQ(prompt.asked[2].highlight, OptionsMenu::kPointer);
  EXPECT_FALSE(game.settings.pointer) << "in effect all the same";
  EXPECT_EQ(log.str(), "varnholt: settings not saved: " + menu.lastError() + "\n");
  EXPECT_TRUE(fs::is_directory(dir.path / "settings.ini"));

  // The window closed while the failure is shown, or while the menu is open: closed.
  ScriptedPrompt closing({OptionsMenu::kDisplay, ChoicePrompt::kClosed});
  EXPECT_EQ(menu.run(closing), ChoicePrompt::kClosed);
  ScriptedPrompt closed({});
  EXPECT_EQ(menu.run(closed), ChoicePrompt::kClosed);
}

}  // namespace
}  // namespace varnholt::shell
