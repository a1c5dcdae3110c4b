// The dispatcher over the four screens.

#include "flow/screen_flow.h"

#include <cassert>
#include <cstdio>
#include <cstdlib>

namespace varnholt {
namespace {

Screen runOne(Screen screen, Screens& screens) {
  switch (screen) {
    case Screen::Title:
      return screens.titleScreen();
    case Screen::Splash:
      return screens.splashScreen();
    case Screen::Selection:
      return screens.selectionScreen();
    case Screen::Battle:
      return screens.battleScreen();
  }
  refuseUnknownScreen(screen);
}

}  // namespace

int runScreenFrame(GameFlowState& flow, Screens& screens) {
  const Screen ran = flow.screenState;
  flow.screenState = runOne(ran, screens);
  if (ran == Screen::Splash && flow.screenState != Screen::Splash) {
    flow.screenState = runOne(flow.screenState, screens);
  }
  return ran == Screen::Battle ? 1 : 0;
}

void refuseUnknownScreen(Screen screen) {
  std::fprintf(stderr, "varnholt: internal error: %d is no screen (the screens are 0 to %d); stopping\n",
               toNumber(screen), kScreenCount - 1);
  std::fflush(stderr);
  assert(!"a screen value outside the four screens");
  std::exit(kInternalErrorExit);
}

}  // namespace varnholt
