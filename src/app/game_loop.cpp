// The frame loop.
#include "app/game_loop.h"

#include "app/frame_stop.h"

namespace varnholt::app {

const char* exitReasonName(ExitReason reason) {
  switch (reason) {
    case ExitReason::Running:
      return "running";
    case ExitReason::Quit:
      return "quit";
    case ExitReason::CampaignEnd:
      return "campaign-end";
    case ExitReason::Stuck:
      return "stuck";
  }
  return "running";
}

LoopResult runGameLoop(Game& game, platform::Platform& platform, const FrameObserver& observer,
                       int frameLimit) {
  LoopResult result;
  while (true) {
    const platform::Message message = platform.peekMessage();
    if (message == platform::Message::Quit) {
      game.gameShutdown();
      result.reason = ExitReason::Quit;
      return result;
    }
    // The window's answer to its destruction: the quit message, taken on a later turn.
    if (message == platform::Message::Destroy) platform.postMessage(platform::Message::Quit);
    if (frameLimit > 0 && result.frames >= frameLimit) return result;

    const int frame = ++result.frames;
    if (observer.beforeFrame) observer.beforeFrame(frame);
    try {
      game.gameFrame();
    } catch (const FrameStop& stop) {
      // A campaign that ended has shut down already; a quit is shut down here, as between frames.
      if (stop.reason() == ExitReason::Quit) game.gameShutdown();
      result.reason = stop.reason();
      return result;
    }
    if (observer.afterFrame) observer.afterFrame(frame);
  }
}

}  // namespace varnholt::app
