#pragma once
// The screen flow: a frame runs the current screen, the screen returns the screen the next frame runs,
// and this dispatcher alone makes that the current screen.

#include "flow/game_flow_state.h"

namespace varnholt {

// The four screens as the dispatcher runs them. Each runs one frame of its screen and returns the screen
// the next frame runs (its own to stay).
class Screens {
 public:
  virtual Screen titleScreen() = 0;
  virtual Screen splashScreen() = 0;
  virtual Screen selectionScreen() = 0;
  virtual Screen battleScreen() = 0;

 protected:
  ~Screens() = default;
};

// Runs one frame of flow.screenState's screen and makes the screen it returns the current one. The splash
// sequence ends in the first frame of the screen it hands over to (the selection), run within the same
// frame. Returns 1 after a frame that began on the battle screen, 0 after the others.
int runScreenFrame(GameFlowState& flow, Screens& screens);

// The exit status of a program stopped by an internal error.
inline constexpr int kInternalErrorExit = 70;

// A Screen that is none of the four can only come from a cast. Reports it on standard error and stops
// the program: an assertion in a debug build, exit status kInternalErrorExit otherwise. Never returns.
[[noreturn]] void refuseUnknownScreen(Screen screen);

}  // namespace varnholt
