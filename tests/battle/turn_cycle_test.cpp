// The turn cycle: the speed walk, the command phase, the attack effect's timing and the overlay's order.

#include <algorithm>

#include "battle_fixture.h"

namespace varnholt::testing {
namespace {

class TurnCycle : public BattleTest {
 protected:
  // Raiders 20, 21, 22 and party member 1, in this order, with the given speeds.
  void withSpeeds(std::vector<int> speeds) {
    const int ids[] = {20, 21, 22, 1};
    for (int i = 0; i < 4; ++i) add(ids[i], 5, 1 + 2 * i, i == 3 ? 1 : 2);
    for (int i = 0; i < 4; ++i)
      edit(ids[i], [&](Character& c) { c.aspd = speeds[static_cast<std::size_t>(i)]; });
  }
};

TEST_F(TurnCycle, SpeedsUnderOneHundredChooseNobodyAndReverseTheListEveryFrame) {
  withSpeeds({20, 30, 10, 39});
  battle.step();
  EXPECT_EQ(order(), (std::vector<int>{1, 22, 21, 20}));
  battle.step();
  EXPECT_EQ(order(), (std::vector<int>{20, 21, 22, 1}));
  EXPECT_EQ(battle.state, kStateChoosing);
  EXPECT_EQ(battle.acting.id, 0);
}

TEST_F(TurnCycle, TheFirstAndLastCombatantsTakeTurnsAlternately) {
  withSpeeds({30, 30, 30, 30});
  std::vector<int> actors;
  for (int turn = 0; turn < 4; ++turn) {
    battle.step();
    actors.push_back(battle.acting.id);
    if (turn == 0) {
      EXPECT_EQ(order(), (std::vector<int>{1, 22, 21, 20}));
    }
    battle.endTurn();
  }
  EXPECT_EQ(actors, (std::vector<int>{20, 1, 20, 1}));
  EXPECT_EQ(random.drawCount(), 0u);
}

TEST_F(TurnCycle, APlayersCommandPhaseDrawsEveryFrameAComputersOnlyOnce) {
  withSpeeds({0, 0, 0, 100});
  moveToFront(1);
  battle.step();
  flow.cursorMode = CursorMode::Grid;
  flow.gridColumn = 3;
  flow.gridRow = 4;
  presentation.calls.clear();
  battle.step();
  battle.step();
  EXPECT_EQ(presentation.calls,
            (std::vector<std::string>{"turn Aldric", "panel 1 400,0", "turn Aldric", "panel 1 400,0"}));
  EXPECT_EQ(flow.cursorX(), 81.0f);  // snapped to the grid cell with frame 0
  EXPECT_EQ(flow.cursorY(), 219.0f);
  EXPECT_EQ(flow.cursorFrame(), 0);

  battle.endTurn();
  moveToFront(20);
  edit(20, [](Character& c) { c.aspd = 100; });
  battle.step();
  presentation.calls.clear();
  battle.step();
  battle.step();
  EXPECT_EQ(battle.state, kStateEnemyMove);
  EXPECT_EQ(presentation.calls.front(), "turn Raider20");
  EXPECT_EQ(std::count(presentation.calls.begin(), presentation.calls.end(), "turn Raider20"), 1);
}

TEST_F(TurnCycle, TheAttackEffectSwapsInFrame31AndTheTurnEndsInFrame62) {
  withSpeeds({100, 0, 0, 0});
  battle.state = kStateAttackEffect;
  battle.effectShowing = 1;
  showSprite(battle.swordSprite);
  auto visible = [](const Sprite& s) { return (s.attributes & SPRITE_VISIBLE) != 0; };
  for (int frame = 1; frame <= 62; ++frame) {
    battle.step();
    if (frame == 30 || frame == 31) {
      EXPECT_EQ(visible(battle.swordSprite), frame == 30);
    }
    if (frame == 31 || frame == 60) {
      EXPECT_TRUE(visible(battle.hitSprite));
      EXPECT_EQ(battle.state, kStateAttackEffect);
    }
    if (frame == 61) {
      EXPECT_EQ(battle.state, kStateTurnOver);
      EXPECT_FALSE(visible(battle.hitSprite) || battle.effectShowing || battle.effectFrame);
    }
  }
  EXPECT_EQ(battle.state, kStateChoosing);
  EXPECT_STREQ(flow.messageText, " ");
}

TEST_F(TurnCycle, TheOverlayDrawsMessageEffectsCursorAndUnitsInThisOrder) {
  withSpeeds({0, 0, 0, 0});
  flow.setMessage("Added to Battle");
  battle.effectShowing = 1;
  battle.drawOverlay();
  EXPECT_EQ(presentation.calls, (std::vector<std::string>{"message Added to Battle", "sword", "hit", "cursor",
                                                          "unit0", "unit1", "unit2", "unit3"}));
}

}  // namespace
}  // namespace varnholt::testing
