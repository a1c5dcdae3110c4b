// varnholt: the game on the SDL2 backend. Finds the campaign, opens the window, runs the game until it
// quits or the campaign ends, records the session's keys when asked and saves screenshots on F12.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>

#include "app/command_line.h"
#include "app/content_location.h"
#include "app/game.h"
#include "app/game_loop.h"
#include "app/key_recorder.h"
#include "app/outside_quit.h"
#include "app/press_keys.h"
#include "app/screenshot.h"
#include "app/settings.h"
#include "app/skip_waits.h"
#include "check/content_check.h"
#include "platform/sdl/sdl_platform.h"
#include "shell/shell_dialog.h"

#ifndef VARNHOLT_VERSION
#define VARNHOLT_VERSION "0.0.0"
#endif

namespace fs = std::filesystem;
using namespace varnholt;

namespace {

// Saves the picture on screen, which the backend keeps to tell a changed picture from the same one.
void saveScreenshot(const platform::SdlPlatform& sdl) {
  auto folder = app::screenshotFolder(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
  if (!folder) {
    std::cerr << "varnholt: screenshot not saved: neither XDG_DATA_HOME nor HOME is set\n";
    return;
  }
  std::error_code code;
  fs::create_directories(*folder, code);
  const fs::path path = app::nextScreenshotPath(*folder);
  app::FrameCopy shown;
  if (const platform::Frame frame = sdl.shownFrame(); frame.pixels != nullptr) shown.assign(frame);
  std::string error;
  if (app::writePng(path, shown, error)) {
    std::cerr << "varnholt: screenshot saved to " << path.string() << "\n";
  } else {
    std::cerr << "varnholt: screenshot not saved: " << error << "\n";
  }
}

// Writes how late the waits ended, how many presents uploaded a picture and how often SDL asked the
// window system for events, for bench/idle_cpu.sh.
void writeWaitReport(const char* path, const platform::SdlPlatform& sdl) {
  const platform::WaitLateness waits = sdl.waitLateness();
  std::ofstream out(path);
  out << "waits " << waits.total << " p50_ms " << waits.percentileMs(0.5) << " p99_ms "
      << waits.percentileMs(0.99) << " worst_ms " << static_cast<double>(waits.worstMicroseconds) / 1000.0
      << "\npresents " << sdl.presents() << " uploads " << sdl.frameUploads() << " pumps "
      << sdl.serverPumps() << " renderer " << sdl.rendererName() << "\n";
}

// The settings in effect: the built-in defaults, the settings file's, the command line's.
app::Settings effectiveSettings(const app::Options& options) {
  app::Settings settings;
  const char* home = std::getenv("HOME");
  const std::optional<std::string> homeDir =
      home != nullptr && home[0] != '\0' ? std::optional<std::string>(home) : std::nullopt;
  if (const auto path = app::settingsPath(std::getenv("XDG_CONFIG_HOME"), home)) {
    const app::SettingsFile file = app::loadSettingsFile(*path, homeDir);
    for (const std::string& error : file.errors) std::cerr << error << "\n";
    settings = app::applyChanges(settings, file.changes);
  }
  return app::applyChanges(settings, options.settings);
}

}  // namespace

int main(int argc, char** argv) {
  const auto parsed = app::parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  if (!parsed.options) {
    std::cerr << "varnholt: " << parsed.error << "\n" << app::usageText("varnholt");
    return 2;
  }
  const app::Options& options = *parsed.options;
  if (options.help) {
    std::cout << app::usageText("varnholt");
    return 0;
  }
  if (options.version) {
    std::cout << "varnholt " << VARNHOLT_VERSION << "\n";
    return 0;
  }
  const app::Settings settings = effectiveSettings(options);
  if (options.printSettings) {
    std::cout << app::formatSettings(settings);
    return 0;
  }

  const fs::path workingDir = fs::current_path();
  const auto search =
      app::findContent(settings.campaign ? std::optional<fs::path>(*settings.campaign) : std::nullopt,
                       workingDir, app::executablePath(argv[0]));
  if (!search.found) {
    std::cerr << app::describeMissingContent(search) << "\n";
    return 1;
  }
  // A damaged campaign is summed up on standard error; the game then does what it can with it.
  check::reportCampaignAtStart(*search.found, "varnholt", std::cerr);
  // The recording is named relative to where the game was started, before it enters the campaign.
  std::ofstream recording;
  if (options.recordFile) {
    fs::path path = *options.recordFile;
    if (path.is_relative()) path = workingDir / path;
    recording.open(path);
    if (!recording) {
      std::cerr << "varnholt: cannot write the recording " << path.string() << "\n";
      return 1;
    }
    recording << "# Varnholt session recorded with --record; replay with varnholt-replay --keys\n";
  }
  if (::chdir(search.found->c_str()) != 0) {
    std::cerr << "varnholt: cannot enter the campaign folder " << search.found->string() << "\n";
    return 1;
  }

  platform::SdlOptions sdlOptions;
  sdlOptions.windowed = settings.window == app::WindowMode::Windowed;
  sdlOptions.scaling =
      settings.scaling == app::Scaling::Integer ? platform::FitMode::Integer : platform::FitMode::Fit;
  platform::SdlPlatform sdl(sdlOptions);
  if (!sdl.openWindow("Varnholt", 800, 600)) {
    std::cerr << "varnholt: window set-up failed: " << sdl.lastError() << "\n";
    return 1;
  }
  // From the backend up: quitting from outside, the quit that asks, the holds a press may end, the key
  // mode, and the recorder, which so writes what the game itself saw.
  app::OutsideQuit outsideQuit(sdl);
  const bool askBeforeQuit = true;
  std::unique_ptr<shell::QuitDialog> quitDialog;
  platform::Platform* asking = &outsideQuit;
  if (askBeforeQuit) {
    quitDialog = std::make_unique<shell::QuitDialog>(outsideQuit);
    asking = quitDialog.get();
  }
  const bool skipWaits = true;
  std::unique_ptr<app::SkipWaits> skipper;
  platform::Platform* held = asking;
  if (skipWaits) {
    skipper = std::make_unique<app::SkipWaits>(*asking);
    held = skipper.get();
  }
  std::unique_ptr<app::PressKeys> pressKeys;
  platform::Platform* keys = held;
  if (settings.keys == app::KeyMode::Press) {
    pressKeys = std::make_unique<app::PressKeys>(*held);
    keys = pressKeys.get();
  }
  std::unique_ptr<app::KeyRecorder> recorder;
  platform::Platform* gamePlatform = keys;
  if (options.recordFile) {
    recorder = std::make_unique<app::KeyRecorder>(*keys, recording);
    gamePlatform = recorder.get();
  }

  app::Game game(*gamePlatform);
  if (!game.gameInit()) {
    std::cerr << "varnholt: " << game.failure() << "\n";
    return 1;
  }
  app::FrameObserver observer;
  observer.beforeFrame = [&](int frame) {
    if (recorder) recorder->beginFrame(frame);
  };
  observer.afterFrame = [&](int) {
    if (gamePlatform->takeScreenshotRequest()) saveScreenshot(sdl);
  };
  app::runGameLoop(game, *gamePlatform, observer);
  if (recorder) recorder->finish();
  if (const char* report = std::getenv("VARNHOLT_WAIT_REPORT")) writeWaitReport(report, sdl);
  sdl.closeWindow();
  return 0;
}
