// The game in a browser page. The page calls these exports (through ccall, asynchronously: the game
// waits with Asyncify) once its files are in the virtual file system:
//
//   varnholt_play(dataDir, classic)               plays with the browser's keys, pointer and clock
//   varnholt_replay(dataDir, keysPath, frames)    plays a key script with the headless runner's clock
//   varnholt_bench(dataDir, frames)               CPU work of battle frames, waits excluded
//
// and these directly, at any time (they never wait): varnholt_check(dataDir), the content checker's
// findings on a campaign folder as JSON; varnholt_live_state(), varnholt_live_game_state() and
// varnholt_frame_work(screen).
//
// Live play has the desktop game's comforts unless `classic` is set: holds a press or a tap ends, the quit
// that asks, keys that act once per press, taps and clicks on the picture as the game's keys, and
// checkpoints for continue and retry, kept in the browser's IndexedDB (one file per campaign under
// /state, copied there after every change).
//
// What happens goes back to the page through `varnholtPage`: report(kind, text) for errors and the end,
// replayDone(json, hashes, summary) for a replay.
#include <emscripten.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <memory>
#include <optional>
#include <sstream>
#include <string>

#include "app/content_location.h"
#include "app/game.h"
#include "app/game_loop.h"
#include "app/key_script.h"
#include "app/press_keys.h"
#include "app/scripted_keyboard.h"
#include "app/settings.h"
#include "app/skip_waits.h"
#include "check/content_check.h"
#include "content/content_report.h"
#include "platform/web/web_platform.h"
#include "replay/game_state_json.h"
#include "replay/replay_session.h"
#include "shell/checkpoint.h"
#include "shell/checkpoint_run.h"
#include "shell/pointer_keys.h"
#include "shell/shell_dialog.h"

#ifndef VARNHOLT_VERSION
#define VARNHOLT_VERSION "0.0.0"
#endif

namespace fs = std::filesystem;
using namespace varnholt;

namespace {

constexpr const char* kFontAtlas = "/assets/game-font.atlas";

// clang-format off
EM_JS(void, page_report, (const char* kind, const char* text), {
  varnholtPage.report(UTF8ToString(kind), UTF8ToString(text));
});
EM_JS(void, page_replay_done, (const char* json, const char* hashes, const char* summary), {
  varnholtPage.replayDone(UTF8ToString(json), UTF8ToString(hashes), UTF8ToString(summary));
});
// The folder /state in the browser's IndexedDB, read in once (the game waits for it); 1 when it is there,
// 0 when the browser gives no storage (checkpoints then last as long as the page).
EM_JS(int, page_open_storage, (), {
  return Asyncify.handleSleep((wakeUp) => {
    if (Module.varnholtStorage !== undefined) {
      wakeUp(Module.varnholtStorage ? 1 : 0);
      return;
    }
    let settled = false;
    const finish = (ok, why) => {
      if (settled) return;
      settled = true;
      if (!ok) console.warn('varnholt: checkpoints are kept for this visit only: ' + why);
      Module.varnholtStorage = ok;
      wakeUp(ok ? 1 : 0);
    };
    try {
      FS.mkdir('/state');
      FS.mount(IDBFS, {}, '/state');
    } catch (error) {
      try { FS.mkdir('/state'); } catch (ignored) {}
      finish(false, 'the browser storage cannot be used (' + error + ')');
      return;
    }
    // A browser that never answers (storage blocked in some private windows) does not hold up the game.
    setTimeout(() => finish(false, 'the browser storage does not answer'), 3000);
    FS.syncfs(true, (error) => finish(!error, 'the browser storage cannot be read (' + error + ')'));
  });
});
// Copies /state to the browser's storage; a change made while a copy runs is copied after it.
EM_JS(void, page_keep_storage, (), {
  if (!Module.varnholtStorage) return;
  const keep = Module.varnholtKeep || (Module.varnholtKeep = { running: false, again: false });
  if (keep.running) {
    keep.again = true;
    return;
  }
  const run = () => {
    keep.running = true;
    keep.again = false;
    FS.syncfs(false, (error) => {
      keep.running = false;
      if (error) console.warn('varnholt: a checkpoint could not be kept in the browser storage: ' + error);
      ++keep.done;
      if (keep.again) run();
    });
  };
  keep.done = keep.done || 0;
  run();
});
// clang-format on

void report(const char* kind, const std::string& text) {
  page_report(kind, text.c_str());
}

// Enters the campaign folder after checking that it holds the files the game cannot start without. False
// with the reason on the page. Problems the content checker would find do not stop it: the game does
// what it can with them, as the native game does (the page shows the findings and asks first).
bool enterCampaign(const std::string& dataDir) {
  const auto missing = app::firstMissingFile(dataDir);
  if (missing) {
    report("error", "cannot find the game's content: " + *missing + " is not in the folder " +
                        fs::path(dataDir).filename().string());
    return false;
  }
  if (::chdir(dataDir.c_str()) != 0) {
    report("error", "cannot enter the campaign folder " + dataDir);
    return false;
  }
  return true;
}

// `text` as a JSON string.
std::string jsonString(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20) {
      constexpr char kHex[] = "0123456789abcdef";
      out += "\\u00";
      out += kHex[byte >> 4];
      out += kHex[byte & 15];
    } else {
      out += c;
    }
  }
  return out + "\"";
}

// Per-frame CPU work of the live game by screen state (indexed by the screen's number): the frame's time
// minus the time it spent waiting in the browser.
struct FrameWork {
  double total[kScreenCount] = {};
  int frames[kScreenCount] = {};
};
FrameWork liveWork;

// The live session's keys as the game saw them, a key script (the page's --record), and the state the
// last session ended in.
constexpr const char* kSessionKeys = "/session.keys";
std::ofstream sessionKeys;
std::string lastState = "null";

// The game being played live, for varnholt_live_state: the game, its frames so far and its clock.
const app::Game* liveGame = nullptr;
long liveFrames = 0;
std::function<std::uint32_t()> liveTicks;

}  // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE int varnholt_play(const char* dataDir, int classic) {
  const bool storage = page_open_storage() != 0;
  if (!enterCampaign(dataDir)) return 1;
  platform::WebPlatform web(kFontAtlas, false);
  if (!web.openWindow("Varnholt", 800, 600)) {
    report("error", "window set-up failed: " + web.lastError());
    return 1;
  }
  // From the backend up, as on the desktop: the holds a press may end, the quit that asks, the key mode,
  // taps and clicks turned into the game's keys; the checkpoint run adds the kept keys above. The
  // classic game has none of it. The page's own menu has what the desktop's options menu switches.
  const app::Settings settings;
  std::unique_ptr<app::SkipWaits> skipper;
  std::unique_ptr<shell::QuitDialog> quitDialog;
  std::unique_ptr<app::PressKeys> pressKeys;
  std::unique_ptr<shell::PointerKeys> pointerKeys;
  platform::Platform* gamePlatform = &web;
  if (classic == 0) {
    skipper = std::make_unique<app::SkipWaits>(web);
    quitDialog = std::make_unique<shell::QuitDialog>(*skipper);
    pressKeys = std::make_unique<app::PressKeys>(*quitDialog);
    pressKeys->setEnabled(settings.keys == app::KeyMode::Press);
    pointerKeys = std::make_unique<shell::PointerKeys>(*pressKeys);
    gamePlatform = pointerKeys.get();
  }

  // One checkpoint file per campaign: the default one, or a picked folder by its name (each pick gets a
  // slot of its own, /picked/N/NAME; the campaign's files decide whether a kept checkpoint still fits).
  std::optional<shell::Checkpoints> checkpoints;
  if (classic == 0) {
    fs::path identity(dataDir);
    if (identity.string().rfind("/picked/", 0) == 0) identity = fs::path("/picked") / identity.filename();
    checkpoints.emplace(shell::checkpointFile("/state/checkpoints", identity), VARNHOLT_VERSION,
                        shell::campaignFingerprint("."));
    if (storage) checkpoints->setChanged([] { page_keep_storage(); });
  }

  liveWork = FrameWork{};
  liveFrames = 0;
  liveTicks = [&web] { return web.ticks(); };
  double frameStart = 0;
  double waitedBefore = 0;
  int screen = 0;
  shell::CheckpointRun run;
  run.platform = gamePlatform;
  run.checkpoints = checkpoints ? &*checkpoints : nullptr;
  run.prompt = quitDialog.get();
  run.log = &std::cerr;
  run.gameChanged = [&](const app::Game* game) {
    liveGame = game;
    if (pointerKeys) pointerKeys->watch(game);
  };
  run.beforeFrame = [&](int) {
    if (liveGame != nullptr) screen = toNumber(liveGame->flow().screenState);
    frameStart = emscripten_get_now();
    waitedBefore = web.waitedMilliseconds();
  };
  run.afterFrame = [&](int frame) {
    const double work = emscripten_get_now() - frameStart - (web.waitedMilliseconds() - waitedBefore);
    liveWork.total[screen] += work;
    ++liveWork.frames[screen];
    liveFrames = frame;
  };
  // Every session is recorded, as --record does natively, so that it can be replayed and saved.
  run.openRecording = []() -> std::ostream* {
    if (sessionKeys.is_open()) sessionKeys.close();
    sessionKeys.open(kSessionKeys, std::ios::trunc);
    if (!sessionKeys) return nullptr;
    sessionKeys << "# Varnholt session recorded in the browser; replay with varnholt-replay --keys\n";
    return &sessionKeys;
  };
  lastState = "null";
  run.finished = [](const app::Game& game, const app::LoopResult& result) {
    std::ostringstream json;
    replay::writeGameState(json, game, result);
    lastState = json.str();
  };
  const shell::CheckpointRunResult outcome = shell::runWithCheckpoints(run);
  sessionKeys.close();
  liveGame = nullptr;
  liveTicks = nullptr;
  if (!outcome.started) {
    report("error", outcome.failure);
    return 1;
  }
  report("end", web.stopRequested()                                     ? "stopped"
                : outcome.result.reason == app::ExitReason::CampaignEnd ? "campaign-end"
                                                                        : "quit");
  return 0;
}

// A campaign folder as the page offers it: {"missing": the first file the game cannot start without or
// null, "problems": N, "warnings": M, "summary": "N problems, M warnings", "findings": ["folder/file:line:
// message", ...]}, the problems first. The readers' own reports of the files they refuse are held back
// during the check: the findings say the same.
EMSCRIPTEN_KEEPALIVE const char* varnholt_check(const char* dataDir) {
  static std::string text;
  const fs::path folder(dataDir);
  const auto missing = app::firstMissingFile(folder);
  content::ContentReportSink previous = content::setContentReportSink([](const std::string&) {});
  const check::Report findings = check::checkCampaign(folder);
  content::setContentReportSink(std::move(previous));
  text = "{\"missing\":" + (missing ? jsonString(*missing) : std::string("null")) +
         ",\"problems\":" + std::to_string(findings.problems()) +
         ",\"warnings\":" + std::to_string(findings.warnings()) +
         ",\"summary\":" + jsonString(check::summaryLine(findings)) + ",\"findings\":[";
  bool first = true;
  for (const bool warnings : {false, true}) {
    for (const check::Finding& finding : findings.findings()) {
      if (finding.warning != warnings) continue;
      // Files named as the player knows them: inside the folder they picked.
      text += (first ? "" : ",") + jsonString(check::formatFinding(folder.filename(), finding));
      first = false;
    }
  }
  text += "]}";
  return text.c_str();
}

// The live game's screen state, battle number, party size, frames run and clock as JSON ("null" when no
// game runs).
EMSCRIPTEN_KEEPALIVE const char* varnholt_live_state() {
  static std::string text;
  if (liveGame == nullptr) return "null";
  text = "{\"screenState\":" + std::to_string(toNumber(liveGame->flow().screenState)) +
         ",\"battleNumber\":" + std::to_string(liveGame->battle().battleNumber) +
         ",\"partyCount\":" + std::to_string(liveGame->flow().partyCount) +
         ",\"frames\":" + std::to_string(liveFrames) + ",\"ticks\":" + std::to_string(liveTicks()) + "}";
  return text.c_str();
}

// The live game's whole state as a replay reports it (the same JSON), "null" when no game runs.
EMSCRIPTEN_KEEPALIVE const char* varnholt_live_game_state() {
  static std::string text;
  if (liveGame == nullptr) return "null";
  std::ostringstream json;
  app::LoopResult sofar;
  sofar.frames = static_cast<int>(liveFrames);
  replay::writeGameState(json, *liveGame, sofar);
  text = json.str();
  return text.c_str();
}

// The keys of the session being played or played last, as a key script ("" when none was recorded).
EMSCRIPTEN_KEEPALIVE const char* varnholt_session_keys() {
  static std::string text;
  if (sessionKeys.is_open()) sessionKeys.flush();
  std::ifstream in(kSessionKeys, std::ios::binary);
  text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return text.c_str();
}

// The state the last session ended in, as a replay reports it ("null" before one has ended).
EMSCRIPTEN_KEEPALIVE const char* varnholt_last_state() {
  return lastState.c_str();
}

// Average CPU work of one live frame on a screen, in milliseconds (-1 before any such frame).
EMSCRIPTEN_KEEPALIVE double varnholt_frame_work(int screen) {
  if (!screenFromNumber(screen) || liveWork.frames[screen] == 0) return -1;
  return liveWork.total[screen] / liveWork.frames[screen];
}

EMSCRIPTEN_KEEPALIVE int varnholt_replay(const char* dataDir, const char* keysPath, int frames) {
  std::string error;
  auto script = app::KeyScript::load(keysPath, error);
  if (!script) {
    report("error", "key script: " + error);
    return 2;
  }
  if (!enterCampaign(dataDir)) return 1;
  platform::WebPlatform web(kFontAtlas, true);
  web.openWindow("Varnholt", 800, 600);
  replay::ReplaySettings settings;
  settings.frames = frames;
  std::ostringstream log;  // no dumps in the page: nothing is logged
  replay::ReplaySession session(web, *script, std::move(settings), log, "varnholt");
  if (!session.start()) {
    report("error", session.failure());
    return 1;
  }
  session.run();
  web.showLatest();
  const std::string json = session.stateJson();
  const std::string hashes = session.hashLines();
  const std::string summary = session.summary();
  session.shutdown();
  page_replay_done(json.c_str(), hashes.c_str(), summary.c_str());
  return session.exitCode();
}

// Microseconds of CPU work per battle frame: the game driven to battle 1 with the virtual clock, then
// `frames` battle frames timed, the time spent yielding to the browser taken out.
EMSCRIPTEN_KEEPALIVE double varnholt_bench(const char* dataDir, int frames) {
  if (!enterCampaign(dataDir)) return -1;
  std::string error;
  const auto script = app::KeyScript::parse(
      "1 Enter\n3 Enter\n4 Right\n5 Enter\n6 Right\n7 Enter\n8 Right\n9 Enter\n10 Right\n11 Enter\n", error);
  platform::WebPlatform web(kFontAtlas, true);
  web.openWindow("Varnholt", 800, 600);
  app::ScriptedKeyboard keyboard(web, *script);
  app::Game game(keyboard);
  if (!game.gameInit()) {
    report("error", game.failure());
    return -1;
  }
  int frame = 0;
  for (; frame <= script->lastFrame(); ++frame) {
    keyboard.beginFrame(frame + 1);
    game.gameFrame();
  }
  if (game.flow().screenState != Screen::Battle) return -1;
  const double waitedBefore = web.waitedMilliseconds();
  const double start = emscripten_get_now();
  for (int i = 0; i < frames; ++i) {
    keyboard.beginFrame(++frame);
    game.gameFrame();
  }
  const double work = emscripten_get_now() - start - (web.waitedMilliseconds() - waitedBefore);
  web.showLatest();
  game.gameShutdown();
  return frames > 0 ? work * 1000.0 / frames : 0;
}

}  // extern "C"

// The page starts the game through the exports above; main only lets the runtime come up.
int main() {
  return 0;
}
