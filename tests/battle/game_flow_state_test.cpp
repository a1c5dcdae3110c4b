// The shared game-flow state: its start values, the reset, and the bounded message line.

#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "battle/game_flow_state.h"

namespace varnholt {
namespace {

TEST(GameFlowState, StartsWithTheGamesInitialValuesAndResetsToThem) {
  GameFlowState flow;
  for (int round = 0; round < 2; ++round) {
    EXPECT_EQ(flow.screenState, 0);
    EXPECT_EQ(flow.cursorX(), 150.0f);
    EXPECT_EQ(flow.cursorY(), 100.0f);
    EXPECT_EQ(flow.cursorFrame(), 2);
    EXPECT_EQ(flow.cursorMode, 1);
    EXPECT_EQ(flow.battleCommand, 0);
    EXPECT_EQ(flow.skillPickRequest, 0);
    EXPECT_EQ(flow.selectedSkill, 0);
    EXPECT_EQ(flow.gridColumn, 1);
    EXPECT_EQ(flow.gridRow, 1);
    EXPECT_EQ(flow.moveTargetX, 0);
    EXPECT_EQ(flow.moveTargetY, 0);
    EXPECT_EQ(flow.partyCount, 0);
    EXPECT_EQ(GameFlowState::partySize, 5);
    EXPECT_STREQ(flow.messageText, "");
    EXPECT_EQ(flow.roster.count(), 0);

    flow.screenState = 3;
    flow.cursorToCommandBar();
    flow.cursorMode = 3;
    flow.battleCommand = 2;
    flow.skillPickRequest = 10;
    flow.selectedSkill = 4;
    flow.gridColumn = 7;
    flow.moveTargetY = 96;
    flow.partyCount = 5;
    flow.setMessage("Added to Battle");
    flow.roster.add(Character{});
    flow.reset();
  }
}

TEST(GameFlowState, TheMessageLineHoldsAtMostSeventyNineCharacters) {
  GameFlowState flow;
  const std::string longText(120, 'x');
  flow.setMessage(longText.c_str());
  EXPECT_EQ(std::strlen(flow.messageText), 79u);
  flow.setMessage("Not Enough SP");
  EXPECT_STREQ(flow.messageText, "Not Enough SP");
  flow.setMessage(nullptr);
  EXPECT_STREQ(flow.messageText, "");
}

TEST(GameFlowState, TheCommandBarCursorIsTheFirstButtonWithFrameOne) {
  GameFlowState flow;
  flow.cursorToCommandBar();
  EXPECT_EQ(flow.cursorX(), 0.0f);
  EXPECT_EQ(flow.cursorY(), 515.0f);
  EXPECT_EQ(flow.cursorFrame(), 1);
}

}  // namespace
}  // namespace varnholt
