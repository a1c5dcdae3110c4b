// varnholt: the game on the SDL2 backend. Finds the campaign, opens the window, runs the game until it
// quits or the campaign ends, keeps checkpoints, records the session's keys when asked and saves
// screenshots on F12. With --playtest N the auto-player first wins the battles before N headless and the
// game starts from the keys it pressed, as a continue does.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>

#include "app/command_line.h"
#include "app/content_location.h"
#include "app/game.h"
#include "app/game_loop.h"
#include "app/outside_quit.h"
#include "app/press_keys.h"
#include "app/screenshot.h"
#include "app/settings.h"
#include "app/skip_waits.h"
#include "autoplay/playtest.h"
#include "check/content_check.h"
#include "platform/sdl/error_window.h"
#include "platform/sdl/sdl_platform.h"
#include "shell/checkpoint.h"
#include "shell/checkpoint_run.h"
#include "shell/choice_prompt.h"
#include "shell/options_menu.h"
#include "shell/pointer_keys.h"
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

// Lines of the settings file the game could not use, kept for the message of a start that fails.
std::vector<std::string> settingsProblems;

// A start that fails: the message on standard error and, for a start from the desktop where nobody
// reads that, in a message window too (with the settings file's problems, which may be the cause).
int cannotStart(const std::string& message) {
  std::cerr << message << "\n";
  std::string shown = message;
  if (!settingsProblems.empty()) {
    shown += "\n\nThe settings file has lines the game could not use:";
    for (const std::string& problem : settingsProblems) shown += "\n" + problem;
  }
  platform::showErrorWindow("Varnholt", shown);
  return 1;
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
    settingsProblems = file.errors;
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
  if (!search.found) return cannotStart(app::describeMissingContent(search));
  // Checkpoints are named after the campaign's absolute folder, taken before the game enters it.
  std::error_code ignored;
  const fs::path campaignDir = fs::absolute(*search.found, ignored);
  // A damaged campaign is summed up on standard error; the game then does what it can with it.
  check::reportCampaignAtStart(*search.found, "varnholt", std::cerr);
  // The recording is named relative to where the game was started, before it enters the campaign. A
  // retry starts it afresh, so it holds the kept keys and then the new ones.
  std::ofstream recording;
  fs::path recordPath;
  const auto openRecording = [&]() -> bool {
    if (recording.is_open()) recording.close();
    recording.open(recordPath, std::ios::trunc);
    if (!recording) return false;
    recording << "# Varnholt session recorded with --record; replay with varnholt-replay --keys\n";
    return true;
  };
  if (options.recordFile) {
    recordPath = *options.recordFile;
    if (recordPath.is_relative()) recordPath = workingDir / recordPath;
    if (!openRecording()) return cannotStart("varnholt: cannot write the recording " + recordPath.string());
  }
  if (::chdir(search.found->c_str()) != 0)
    return cannotStart("varnholt: cannot enter the campaign folder " + search.found->string());

  // A playtest: the auto-player plays up to the battle asked for, headless, before the window opens; the
  // game then runs its keys as it runs a continue's. Short of that battle, it starts where the auto-player
  // got to and says so.
  std::optional<shell::Checkpoint> playtestStart;
  std::string playtestMessage;
  if (options.playtest) {
    const int battle = *options.playtest;
    if (battle > 1)
      std::cerr << "varnholt: playtest: the auto-player plays battles 1 to " << battle - 1 << "\n";
    const autoplay::PlaytestStart start = autoplay::preparePlaytest(
        battle, [](const std::string& line) { std::cerr << "varnholt: playtest: " << line << "\n"; });
    if (!start.started) return cannotStart("varnholt: " + start.failure);
    shell::Checkpoint checkpoint;
    checkpoint.battle = start.battle;
    checkpoint.frame = start.frames;
    checkpoint.keys = start.keys;
    playtestStart = std::move(checkpoint);
    if (!start.shortfall.empty()) playtestMessage = "varnholt: " + start.shortfall;
  }

  platform::SdlOptions sdlOptions;
  sdlOptions.windowed = settings.window == app::WindowMode::Windowed;
  sdlOptions.scaling =
      settings.scaling == app::Scaling::Integer ? platform::FitMode::Integer : platform::FitMode::Fit;
  platform::SdlPlatform sdl(sdlOptions);
  if (!sdl.openWindow("Varnholt", 800, 600)) {
    const std::string error = sdl.lastError();
    sdl.closeWindow();
    return cannotStart("varnholt: window set-up failed: " + error);
  }
  // From the backend up: quitting from outside, the holds a press may end, the quit that asks (over the
  // holds, so Escape during the splash ends the wait and then asks), the key mode, the mouse and touch
  // turned into the game's keys; the checkpoint run adds the kept keys and the recorder above, which so
  // write what the game itself saw. The classic game has none of the shell's comforts.
  app::OutsideQuit outsideQuit(sdl);
  const bool comforts = !settings.classic;
  std::unique_ptr<app::SkipWaits> skipper;
  std::unique_ptr<shell::QuitDialog> quitDialog;
  std::unique_ptr<app::PressKeys> pressKeys;
  std::unique_ptr<shell::PointerKeys> pointerKeys;
  platform::Platform* gamePlatform = &outsideQuit;
  if (comforts) {
    skipper = std::make_unique<app::SkipWaits>(outsideQuit);
    quitDialog = std::make_unique<shell::QuitDialog>(*skipper);
    quitDialog->setPointerEnabled(settings.pointer);
    // Always in the chain, so the options can switch the key mode while playing.
    pressKeys = std::make_unique<app::PressKeys>(*quitDialog);
    pressKeys->setEnabled(app::keyModeInEffect(settings) == app::KeyMode::Press);
    pointerKeys = std::make_unique<shell::PointerKeys>(*pressKeys);
    pointerKeys->setEnabled(settings.pointer);
    gamePlatform = pointerKeys.get();
  }

  // The options the quit question opens: each switch takes effect at once and is written to the
  // settings file, the player's own lines kept.
  const auto settingsInEffect = [&]() {
    app::Settings now = settings;
    now.window = sdl.fullscreen() ? app::WindowMode::Fullscreen : app::WindowMode::Windowed;
    now.scaling = sdl.scaling() == platform::FitMode::Integer ? app::Scaling::Integer : app::Scaling::Fit;
    if (pressKeys) now.keys = pressKeys->enabled() ? app::KeyMode::Press : app::KeyMode::Frame;
    if (pointerKeys) now.pointer = pointerKeys->enabled();
    return now;
  };
  shell::OptionsHooks optionHooks;
  optionHooks.current = settingsInEffect;
  optionHooks.apply = [&](const app::Settings& chosen) {
    if (sdl.fullscreen() != (chosen.window == app::WindowMode::Fullscreen))
      sdl.setFullscreen(chosen.window == app::WindowMode::Fullscreen);
    sdl.setScaling(chosen.scaling == app::Scaling::Integer ? platform::FitMode::Integer
                                                           : platform::FitMode::Fit);
    if (pressKeys) pressKeys->setEnabled(chosen.keys == app::KeyMode::Press);
    if (pointerKeys) pointerKeys->setEnabled(chosen.pointer);
    if (quitDialog) quitDialog->setPointerEnabled(chosen.pointer);
  };
  shell::OptionsMenu optionsMenu(
      optionHooks, app::settingsPath(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME")), &std::cerr);
  if (quitDialog) quitDialog->setOptionsMenu(&optionsMenu);

  // Checkpoints, kept unless the game is played as it was first made.
  std::optional<shell::Checkpoints> checkpoints;
  if (comforts) {
    if (const auto folder = shell::checkpointFolder(std::getenv("XDG_STATE_HOME"), std::getenv("HOME"))) {
      checkpoints.emplace(shell::checkpointFile(*folder, campaignDir), VARNHOLT_VERSION,
                          shell::campaignFingerprint(campaignDir));
    }
  }
  // The questions put to the player (continue, retry) go through the quit dialog's own box.
  shell::ChoicePrompt* prompt = quitDialog.get();

  shell::CheckpointRun run;
  run.platform = gamePlatform;
  run.checkpoints = checkpoints ? &*checkpoints : nullptr;
  run.start = playtestStart;
  run.startMessage = playtestMessage;
  run.prompt = prompt;
  run.log = &std::cerr;
  run.gameChanged = [&](const app::Game* game) {
    if (pointerKeys) pointerKeys->watch(game);
  };
  bool firstRecording = true;
  if (options.recordFile) {
    run.openRecording = [&]() -> std::ostream* {
      if (!firstRecording && !openRecording()) {
        std::cerr << "varnholt: cannot write the recording " << recordPath.string() << "\n";
        return nullptr;
      }
      firstRecording = false;
      return &recording;
    };
  }
  run.afterFrame = [&](int) {
    if (gamePlatform->takeScreenshotRequest()) saveScreenshot(sdl);
  };
  const shell::CheckpointRunResult result = shell::runWithCheckpoints(run);
  if (!result.started) {
    // The message window goes on the desktop, not behind a full-screen game window.
    sdl.closeWindow();
    return cannotStart("varnholt: " + result.failure);
  }
  if (const char* report = std::getenv("VARNHOLT_WAIT_REPORT")) writeWaitReport(report, sdl);
  sdl.closeWindow();
  return 0;
}
