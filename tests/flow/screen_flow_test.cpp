// The screen dispatcher: which screen a frame runs, the screen it moves to, the splash sequence running
// on into the selection within its frame, the frame's value, and a screen value no screen has.

#include <gtest/gtest.h>

#include <string>

#include "flow/screen_flow.h"

namespace varnholt {
namespace {

// Screens that log each frame they run and return what the test sets.
class ScriptedScreens final : public Screens {
 public:
  Screen afterTitle = Screen::Title;
  Screen afterSplash = Screen::Selection;
  Screen afterSelection = Screen::Selection;
  Screen afterBattle = Screen::Battle;
  std::string ran;

  Screen titleScreen() override { return log('T', afterTitle); }
  Screen splashScreen() override { return log('S', afterSplash); }
  Screen selectionScreen() override { return log('P', afterSelection); }
  Screen battleScreen() override { return log('B', afterBattle); }

 private:
  Screen log(char screen, Screen next) {
    ran += screen;
    return next;
  }
};

struct FrameCase {
  Screen start;
  const char* ran;  // the screens the frame ran, in order
  Screen next;
  int value;
};

TEST(ScreenFlow, EachFrameRunsItsScreenAndMovesToTheScreenItReturns) {
  ScriptedScreens screens;
  screens.afterTitle = Screen::Splash;
  screens.afterSelection = Screen::Battle;
  screens.afterBattle = Screen::Selection;
  const FrameCase cases[] = {
      {Screen::Title, "T", Screen::Splash, 0},
      {Screen::Splash, "SP", Screen::Battle, 0},
      {Screen::Selection, "P", Screen::Battle, 0},
      {Screen::Battle, "B", Screen::Selection, 1},
  };
  for (const FrameCase& c : cases) {
    GameFlowState flow;
    flow.screenState = c.start;
    screens.ran.clear();
    EXPECT_EQ(runScreenFrame(flow, screens), c.value) << c.start;
    EXPECT_EQ(screens.ran, c.ran) << c.start;
    EXPECT_EQ(flow.screenState, c.next) << c.start;
  }
}

TEST(ScreenFlow, AScreenThatStaysRunsAgainNextFrame) {
  ScriptedScreens screens;
  GameFlowState flow;
  for (Screen stay : {Screen::Title, Screen::Selection, Screen::Battle}) {
    flow.screenState = stay;
    screens.ran.clear();
    runScreenFrame(flow, screens);
    runScreenFrame(flow, screens);
    EXPECT_EQ(flow.screenState, stay);
    EXPECT_EQ(screens.ran.size(), 2u);
    EXPECT_EQ(screens.ran[0], screens.ran[1]);
  }
}

TEST(ScreenFlow, TheSplashFrameOpensTheSelectionWithinTheSameFrame) {
  ScriptedScreens screens;
  GameFlowState flow;
  flow.screenState = Screen::Splash;
  EXPECT_EQ(runScreenFrame(flow, screens), 0);
  EXPECT_EQ(screens.ran, "SP") << "the splash sequence, then the selection's first frame";
  EXPECT_EQ(flow.screenState, Screen::Selection);

  // The next frame runs the selection alone.
  screens.ran.clear();
  runScreenFrame(flow, screens);
  EXPECT_EQ(screens.ran, "P");
}

TEST(ScreenFlowDeathTest, AScreenValueNoScreenHasStopsTheProgram) {
  ScriptedScreens screens;
  GameFlowState flow;
  flow.screenState = static_cast<Screen>(kScreenCount);
  EXPECT_DEATH(runScreenFrame(flow, screens), "internal error: 4 is no screen \\(the screens are 0 to 3\\)");
  flow.screenState = static_cast<Screen>(-1);
  EXPECT_DEATH(runScreenFrame(flow, screens), "-1 is no screen");
}

#ifdef NDEBUG
TEST(ScreenFlowDeathTest, AReleaseBuildExitsWithTheInternalErrorStatus) {
  EXPECT_EXIT(refuseUnknownScreen(static_cast<Screen>(7)), ::testing::ExitedWithCode(kInternalErrorExit),
              "7 is no screen");
}
#endif

}  // namespace
}  // namespace varnholt
