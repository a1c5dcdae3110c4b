#pragma once
// A replay: the game driven by a key script on a backend with a virtual clock, every presented frame
// watched. varnholt-replay and the browser page both run their replays through this, so the frame count,
// the frame dumps, the state, the hash lines and the summary line are the same in both.

#include <filesystem>
#include <map>
#include <ostream>
#include <string>

#include "app/game.h"
#include "app/game_loop.h"
#include "app/key_script.h"
#include "app/scripted_keyboard.h"
#include "replay/frame_capture.h"

namespace varnholt::replay {

// The frames a replay runs: `frames` when it is above 0, else the frame after the last one the script
// names. A script naming the largest frame number runs to that frame, there being none after it.
int frameLimit(int lastNamedFrame, int frames);

struct ReplaySettings {
  int frames = 0;  // 0: see frameLimit
  int maxReads = app::ScriptedKeyboard::kDefaultReadLimit;
  bool hashFrames = true;
  // Pictures to write: the last one presented in the frame, to the file.
  std::multimap<int, std::filesystem::path> dumps;
};

class ReplaySession {
 public:
  // `backend` keeps the time. Notes about dumps go to `log`, each line starting "`program`: ".
  ReplaySession(platform::Platform& backend, const app::KeyScript& script, ReplaySettings settings,
                std::ostream& log, std::string program);

  // The game's start-up; false with failure() set when it cannot start.
  bool start();
  const std::string& failure() const { return game_.failure(); }

  // Runs the frames (see frameLimit) or until the game ends, writing the dumps asked for on the way.
  const app::LoopResult& run();

  const app::LoopResult& result() const { return result_; }
  const app::Game& game() const { return game_; }
  const FrameCapture& capture() const { return capture_; }
  // The game's state as JSON, the hash lines, and the one-line summary (without a newline):
  // "frames=N ms=N screenState=N battleNumber=N exit=REASON".
  std::string stateJson() const;
  std::string hashLines() const;
  std::string summary();
  // 3 for a stuck frame, else 0.
  int exitCode() const { return result_.reason == app::ExitReason::Stuck ? 3 : 0; }
  void shutdown() { game_.gameShutdown(); }

 private:
  void writeDumpsFor(int frame);

  const app::KeyScript& script_;
  ReplaySettings settings_;
  std::ostream& log_;
  std::string program_;
  app::ScriptedKeyboard keyboard_;
  FrameCapture capture_;
  app::Game game_;
  std::uint32_t startTicks_ = 0;
  app::LoopResult result_;
};

}  // namespace varnholt::replay
