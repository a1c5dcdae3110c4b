// Start-up failures are reported, and the program's command line answers before any window opens.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/game.h"
#include "app/platform_decorator.h"
#include "platform/headless/headless_platform.h"

namespace varnholt::app {
namespace {

namespace fs = std::filesystem;

// A keyboard that cannot be read.
class DeadKeyboard : public PlatformDecorator {
 public:
  using PlatformDecorator::PlatformDecorator;
  bool readKeyboard(std::uint8_t (&)[256]) override { return false; }
};

TEST(GameStart, AMissingFontIsReportedOnOneLine) {
  platform::HeadlessPlatform headless;
  headless.setFontPath("/nonexistent/varnholt-test-font.ttf");
  Game game(headless);
  EXPECT_EQ(game.gameInit(), 0);
  EXPECT_EQ(game.failure().rfind("font set-up failed", 0), 0u) << game.failure();
  EXPECT_EQ(game.failure().find('\n'), std::string::npos);
}

TEST(GameStart, AKeyboardThatCannotBeReadIsReported) {
  platform::HeadlessPlatform headless;
  DeadKeyboard keyboard(headless);
  Game game(keyboard);
  EXPECT_EQ(game.gameInit(), 0);
  EXPECT_EQ(game.failure().rfind("keyboard set-up failed", 0), 0u) << game.failure();
  EXPECT_EQ(game.gameShutdown(), 1) << "what was set up is released";
  EXPECT_EQ(game.gameShutdown(), 1);
}

#ifdef VARNHOLT_GAME
struct Result {
  int code = -1;
  std::string out;
  std::string err;
};

// Runs the game with `args`; `environment` ("NAME=value ...") goes before it on the shell's line.
Result runGame(const std::string& args, const std::string& environment = "") {
  const fs::path base = fs::temp_directory_path() / ("varnholt-cli-" + std::to_string(::getpid()));
  const std::string command = environment + " " + VARNHOLT_GAME + " " + args + " > " + base.string() +
                              ".out 2> " + base.string() + ".err";
  const int status = std::system(command.c_str());
  Result result;
  result.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  for (auto [suffix, text] : {std::pair{".out", &result.out}, std::pair{".err", &result.err}}) {
    std::ifstream in(base.string() + suffix);
    std::ostringstream all;
    all << in.rdbuf();
    *text = all.str();
    fs::remove(base.string() + suffix);
  }
  return result;
}

TEST(GameCommandLine, HelpVersionAndUnknownOptions) {
  auto help = runGame("--help");
  EXPECT_EQ(help.code, 0);
  EXPECT_NE(help.out.find("--data DIR"), std::string::npos);
  auto version = runGame("--version");
  EXPECT_EQ(version.code, 0);
  EXPECT_EQ(version.out.rfind("varnholt ", 0), 0u);
  auto unknown = runGame("--full-screen");
  EXPECT_EQ(unknown.code, 2);
  EXPECT_NE(unknown.err.find("Usage:"), std::string::npos);
}

TEST(GameCommandLine, MissingContentIsOneLineAndExitOne) {
  const fs::path empty = fs::temp_directory_path() / ("varnholt-no-content-" + std::to_string(::getpid()));
  fs::create_directories(empty);
  // Without a display the message window cannot open: the game still ends at once, the message on
  // standard error alone.
  auto missing = runGame("--data " + empty.string(), "env -u DISPLAY -u WAYLAND_DISPLAY");
  fs::remove_all(empty);
  EXPECT_EQ(missing.code, 1);
  EXPECT_NE(missing.err.find("chardb.txt"), std::string::npos) << missing.err;
  EXPECT_NE(missing.err.find(empty.string()), std::string::npos) << missing.err;
  EXPECT_EQ(std::count(missing.err.begin(), missing.err.end(), '\n'), 1) << missing.err;
}
TEST(GameCommandLine, PrintSettingsShowsTheFileUnderTheCommandLineAndNamesBadLines) {
  const fs::path config = fs::temp_directory_path() / ("varnholt-config-" + std::to_string(::getpid()));
  fs::create_directories(config / "varnholt");
  std::ofstream(config / "varnholt" / "settings.ini")
      << "scaling = integer\nkeys = press\nvolume = 3\nclassic = yes\npointer = no\n";
  const auto printed = runGame("--print-settings --keys frame", "XDG_CONFIG_HOME=" + config.string());
  fs::remove_all(config);
  EXPECT_EQ(printed.code, 0);
  EXPECT_EQ(printed.err, (config / "varnholt" / "settings.ini").string() +
                             ":3: unknown setting 'volume' "
                             "(window, scaling, keys, classic, pointer, campaign)\n");
  EXPECT_NE(printed.out.find("\nscaling = integer\n"), std::string::npos) << printed.out;
  EXPECT_NE(printed.out.find("\nkeys = frame\n"), std::string::npos) << printed.out;
  EXPECT_NE(printed.out.find("\nwindow = fullscreen\n"), std::string::npos) << printed.out;
  EXPECT_NE(printed.out.find("\nclassic = yes\n"), std::string::npos) << printed.out;
  EXPECT_NE(printed.out.find("\npointer = no\n"), std::string::npos) << printed.out;
}
#endif

}  // namespace
}  // namespace varnholt::app
