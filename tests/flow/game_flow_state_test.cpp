// The game's flow state: start values, reset, the screen numbers, and the bounded message line.

#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "flow/game_flow_state.h"

namespace varnholt {
namespace {

TEST(GameFlowState, StartsAndResetsToTheGamesInitialValues) {
  GameFlowState flow;
  for (int round = 0; round < 2; ++round) {
    EXPECT_EQ(std::vector<float>({flow.cursorX(), flow.cursorY()}), std::vector<float>({150, 100}));
    EXPECT_EQ(flow.screenState, Screen::Title);
    EXPECT_EQ(flow.cursorMode, CursorMode::Grid);
    EXPECT_EQ(flow.battleCommand, BattleCommand::None);
    EXPECT_EQ(flow.skillPickRequest, SkillPick::None);
    EXPECT_EQ(std::vector<int>({flow.cursorFrame(), flow.selectedSkill, flow.gridColumn, flow.gridRow,
                                flow.moveTargetX, flow.moveTargetY, flow.partyCount, flow.roster.count()}),
              std::vector<int>({2, 0, 1, 1, 0, 0, 0, 0}));
    EXPECT_STREQ(flow.messageText, "");
    flow.screenState = Screen::Battle;
    flow.cursorMode = CursorMode::SkillList;
    flow.battleCommand = BattleCommand::Skill;
    flow.skillPickRequest = SkillPick::TakeHighlighted;
    flow.gridRow = flow.partyCount = 4;
    flow.cursorToCommandBar();
    flow.setMessage("Added to Battle");
    flow.roster.add(Character{});
    flow.reset();
  }
}

TEST(GameFlowState, ScreensKeepTheirNumbersAndNoOtherNumberIsAScreen) {
  const Screen screens[] = {Screen::Title, Screen::Splash, Screen::Selection, Screen::Battle};
  ASSERT_EQ(std::size(screens), static_cast<std::size_t>(kScreenCount));
  for (int number = 0; number < kScreenCount; ++number) {
    EXPECT_EQ(toNumber(screens[number]), number);
    EXPECT_EQ(screenFromNumber(number), screens[number]);
  }
  EXPECT_EQ(screenFromNumber(-1), std::nullopt);
  EXPECT_EQ(screenFromNumber(kScreenCount), std::nullopt);
}

TEST(GameFlowState, TheMessageLineHoldsAtMostSeventyNineCharacters) {
  GameFlowState flow;
  flow.setMessage(std::string(120, 'x').c_str());
  EXPECT_EQ(std::strlen(flow.messageText), 79u);
  flow.setMessage(nullptr);
  EXPECT_STREQ(flow.messageText, "");
}

}  // namespace
}  // namespace varnholt
