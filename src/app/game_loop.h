#pragma once
// The message loop: each turn takes at most one window message (Destroy is answered by posting Quit,
// Quit ends the loop) and then runs one frame, never blocking. Observers hear about every frame, which
// is how the key script, the recorder, the frame capture and screenshots follow the game.

#include <functional>

#include "app/frame_stop.h"
#include "app/game.h"
#include "platform/platform.h"

namespace varnholt::app {

const char* exitReasonName(ExitReason reason);

struct FrameObserver {
  std::function<void(int frame)> beforeFrame;
  std::function<void(int frame)> afterFrame;
};

struct LoopResult {
  ExitReason reason = ExitReason::Running;
  int frames = 0;  // frame function calls that ran (a frame stopped midway counts)
};

// Runs the loop on an initialised game until it quits, the campaign ends, or `frameLimit` frames have
// run (no limit when 0). A frame that throws FrameStop ends the loop with its reason. On a quit the
// game's shutdown has run.
LoopResult runGameLoop(Game& game, platform::Platform& platform, const FrameObserver& observer,
                       int frameLimit = 0);

}  // namespace varnholt::app
