// The game in a browser page. The page calls these exports (through ccall, asynchronously: the game
// waits with Asyncify) once its files are in the virtual file system:
//
//   varnholt_play(dataDir)                        plays with the browser's keys and clock
//   varnholt_replay(dataDir, keysPath, frames)    plays a key script with the headless runner's clock
//   varnholt_bench(dataDir, frames)               CPU work of battle frames, waits excluded
//
// and these directly, at any time (they never wait): varnholt_check(dataDir), the content checker's
// findings on a campaign folder as JSON; varnholt_live_state() and varnholt_frame_work(screen).
//
// What happens goes back to the page through `varnholtPage`: report(kind, text) for errors and the end,
// replayDone(json, hashes, summary) for a replay.
#include <emscripten.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <sstream>
#include <string>

#include "app/content_location.h"
#include "app/game.h"
#include "app/game_loop.h"
#include "app/key_script.h"
#include "app/scripted_keyboard.h"
#include "check/content_check.h"
#include "content/content_report.h"
#include "platform/web/web_platform.h"
#include "replay/replay_session.h"

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

// The game being played live, for varnholt_live_state: the game, its frames so far and its clock.
const app::Game* liveGame = nullptr;
long liveFrames = 0;
std::function<std::uint32_t()> liveTicks;

}  // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE int varnholt_play(const char* dataDir) {
  if (!enterCampaign(dataDir)) return 1;
  platform::WebPlatform web(kFontAtlas, false);
  if (!web.openWindow("Varnholt", 800, 600)) {
    report("error", "window set-up failed: " + web.lastError());
    return 1;
  }
  app::Game game(web);
  if (!game.gameInit()) {
    report("error", game.failure());
    return 1;
  }
  liveWork = FrameWork{};
  liveGame = &game;
  liveFrames = 0;
  liveTicks = [&web] { return web.ticks(); };
  double frameStart = 0;
  double waitedBefore = 0;
  int screen = 0;
  app::FrameObserver observer;
  observer.beforeFrame = [&](int) {
    screen = toNumber(game.flow().screenState);
    frameStart = emscripten_get_now();
    waitedBefore = web.waitedMilliseconds();
  };
  observer.afterFrame = [&](int) {
    const double work = emscripten_get_now() - frameStart - (web.waitedMilliseconds() - waitedBefore);
    liveWork.total[screen] += work;
    ++liveWork.frames[screen];
    ++liveFrames;
  };
  const app::LoopResult result = app::runGameLoop(game, web, observer);
  liveGame = nullptr;
  liveTicks = nullptr;
  game.gameShutdown();
  report("end", web.stopRequested()                             ? "stopped"
                : result.reason == app::ExitReason::CampaignEnd ? "campaign-end"
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
