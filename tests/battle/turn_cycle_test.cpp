// The turn cycle: who is chosen by the speed walk, how the list turns, the command phase's drawing, the
// attack effect's timing and the battle's per-frame drawing order.

#include <algorithm>

#include "battle_fixture.h"

namespace varnholt::testing {
namespace {

class TurnCycle : public BattleTest {
 protected:
  // Three combatants 20, 21, 22 on the computer's side and party member 1, with the given speeds.
  void fourCombatants(int speed20, int speed21, int speed22, int speed1) {
    useMap();
    add(20, 5, 1, 2);
    add(21, 5, 3, 2);
    add(22, 5, 5, 2);
    add(1, 1, 1, 1);
    edit(20, [&](Character& c) { c.aspd = speed20; });
    edit(21, [&](Character& c) { c.aspd = speed21; });
    edit(22, [&](Character& c) { c.aspd = speed22; });
    edit(1, [&](Character& c) { c.aspd = speed1; });
  }
};

TEST_F(TurnCycle, SpeedsUnderOneHundredNeverChooseAndReverseTheListEveryFrame) {
  fourCombatants(20, 30, 10, 39);
  ASSERT_EQ(order(), (std::vector<int>{20, 21, 22, 1}));
  battle.step();
  EXPECT_EQ(battle.state, kStateChoosing);
  EXPECT_EQ(order(), (std::vector<int>{1, 22, 21, 20}));
  battle.step();
  EXPECT_EQ(order(), (std::vector<int>{20, 21, 22, 1}));
  EXPECT_EQ(battle.acting.id, 0);
  EXPECT_EQ(random.drawCount(), 0u);
}

TEST_F(TurnCycle, TheFirstInTheListActsAndEndsTheFrameLast) {
  fourCombatants(60, 10, 10, 50);
  battle.step();
  EXPECT_EQ(battle.state, kStateCommand);
  EXPECT_EQ(battle.acting.id, 20);
  EXPECT_EQ(order(), (std::vector<int>{1, 22, 21, 20}));
  EXPECT_EQ(flow.cursorMode, 2);
  EXPECT_EQ(flow.cursorFrame(), 1);
  EXPECT_EQ(flow.cursorX(), 0.0f);
  EXPECT_EQ(flow.cursorY(), 515.0f);
  // Its cells come from its own cell, with its move range and its weapon's range (the sword reaches 1).
  EXPECT_TRUE(holds(battle.moveCells, GridPos{5, 1}));
  EXPECT_EQ(battle.targetCells.count(), 4);  // (5,1) and three neighbours; row 0 is off the map
}

TEST_F(TurnCycle, WithoutDefeatsTheFirstAndLastCombatantsTakeTurnsAlternately) {
  fourCombatants(30, 30, 30, 30);
  flow.cursorMode = 2;
  std::vector<int> actors;
  for (int turn = 0; turn < 6; ++turn) {
    battle.step();
    ASSERT_EQ(battle.state, kStateCommand);
    actors.push_back(battle.acting.id);
    battle.endTurn();
  }
  // 20 stood first and party member 1 last when the first turn was chosen.
  EXPECT_EQ(actors, (std::vector<int>{20, 1, 20, 1, 20, 1}));
}

TEST_F(TurnCycle, AnActionAimedAtTheFirstCombatantChangesWhoActsNext) {
  fourCombatants(30, 30, 30, 30);
  edit(1, [](Character& c) { c.hit = 1000; });
  battle.step();
  ASSERT_EQ(battle.acting.id, 20);
  battle.endTurn();
  battle.step();
  ASSERT_EQ(battle.acting.id, 1);
  // The list before this choice was 1, 22, 21, 20; the walk reversed it to 20, 21, 22, 1. Party member 1
  // strikes 20, which stands first: the blow's write-back moves 20 behind everyone.
  battle.targetCells.add(GridPos{5, 1});
  ASSERT_TRUE(battle.attack(5, 1));
  for (int frame = 0; frame < 62; ++frame) battle.step();
  ASSERT_EQ(battle.state, kStateChoosing);
  battle.step();
  EXPECT_EQ(battle.acting.id, 21);
}

TEST_F(TurnCycle, APlayersCommandPhaseDrawsTheNameLineAndPanelEveryFrame) {
  fourCombatants(0, 0, 0, 100);
  moveToFront(1);
  battle.step();
  ASSERT_EQ(battle.acting.id, 1);
  presentation.calls.clear();
  flow.cursorMode = 1;
  flow.gridColumn = 3;
  flow.gridRow = 4;
  for (int frame = 0; frame < 3; ++frame) battle.step();
  EXPECT_EQ(presentation.count("turnLine Aldric"), 3);
  EXPECT_EQ(presentation.count("statusPanel 1 400,0"), 3);
  EXPECT_EQ(battle.state, kStateCommand);
  // The grid cursor is kept on its cell with the grid frame.
  EXPECT_EQ(flow.cursorX(), 2 * 38 + 5.0f);
  EXPECT_EQ(flow.cursorY(), 3 * 38 + 105.0f);
  EXPECT_EQ(flow.cursorFrame(), 0);
  EXPECT_STREQ(battle.actingName, "Aldric");
}

TEST_F(TurnCycle, AComputersCombatantPassesThroughTheCommandStateForOneFrame) {
  fourCombatants(100, 0, 0, 0);
  battle.step();
  ASSERT_EQ(battle.acting.id, 20);
  presentation.calls.clear();
  battle.step();
  EXPECT_EQ(battle.state, kStateEnemyMove);
  EXPECT_EQ(presentation.count("turnLine Raider20"), 1);
  battle.step();
  EXPECT_EQ(presentation.count("turnLine Raider20"), 1);
}

TEST_F(TurnCycle, TheAttackEffectSwapsAfterThirtyOneFramesAndEndsTheTurnInTheSixtySecond) {
  fourCombatants(100, 0, 0, 0);
  battle.state = kStateAttackEffect;
  battle.effectShowing = 1;
  showSprite(battle.swordSprite);
  for (int frame = 1; frame <= 30; ++frame) battle.step();
  EXPECT_TRUE(battle.swordSprite.attributes & SPRITE_VISIBLE);
  EXPECT_FALSE(battle.hitSprite.attributes & SPRITE_VISIBLE);
  battle.step();  // 31
  EXPECT_FALSE(battle.swordSprite.attributes & SPRITE_VISIBLE);
  EXPECT_TRUE(battle.hitSprite.attributes & SPRITE_VISIBLE);
  for (int frame = 32; frame <= 60; ++frame) battle.step();
  EXPECT_EQ(battle.state, kStateAttackEffect);
  battle.step();  // 61
  EXPECT_EQ(battle.state, kStateTurnOver);
  EXPECT_EQ(battle.effectShowing, 0);
  EXPECT_EQ(battle.effectFrame, 0);
  EXPECT_FALSE(battle.hitSprite.attributes & SPRITE_VISIBLE);
  battle.step();  // 62: the end of the turn
  EXPECT_EQ(battle.state, kStateChoosing);
  EXPECT_STREQ(flow.messageText, " ");
}

TEST_F(TurnCycle, TheOverlayDrawsInItsFixedOrder) {
  fourCombatants(0, 0, 0, 0);
  flow.setMessage("Added to Battle");
  presentation.calls.clear();
  battle.drawOverlay();
  EXPECT_EQ(presentation.calls,
            (std::vector<std::string>{"message 'Added to Battle'", "sprite cursor", "sprite unit0",
                                      "sprite unit1", "sprite unit2", "sprite unit3"}));
  battle.effectShowing = 1;
  presentation.calls.clear();
  battle.drawOverlay();
  EXPECT_EQ(presentation.calls, (std::vector<std::string>{"message 'Added to Battle'", "sprite sword",
                                                          "sprite hit", "sprite cursor", "sprite unit0",
                                                          "sprite unit1", "sprite unit2", "sprite unit3"}));
}

TEST_F(TurnCycle, EnteringTheBattleDerivesFillsAndPlacesTheCombatant) {
  useMap();
  add(20, 2, 3, 2);
  add(21, 4, 4, 2);
  add(1, 10, 10, 1);
  const Character third = unit(1);
  EXPECT_EQ(third.spriteSlot, 2);
  EXPECT_EQ(order().back(), 1);
  EXPECT_EQ(third.hp, third.maxHp);
  EXPECT_EQ(third.maxHp, 28);
  EXPECT_EQ(third.side, 1);
  EXPECT_EQ(third.ap, 0);
  EXPECT_EQ(battle.map.occupancy[10][10], 1);
  EXPECT_EQ(battle.unitSprites[2].x, 350.0f);
  EXPECT_EQ(battle.unitSprites[2].y, 438.0f);
  EXPECT_EQ(battle.spriteCount, 3);
  EXPECT_EQ(battle.combatantAt(2, 3).id, 20);
  EXPECT_EQ(battle.combatantAt(3, 3).id, 0);
  EXPECT_FALSE(battle.cellIsFree(4, 4));
  EXPECT_TRUE(battle.cellIsFree(4, 5));
}

TEST_F(TurnCycle, NoMoreThanThirteenCombatantsAndNoneOutsideTheLayers) {
  battle.loadMap(4);
  for (int k = 0; k < kUnitSpriteSlots; ++k) add(20 + k, 1 + k, 1, 2);
  EXPECT_FALSE(battle.addCombatant(database.getCharacter(1), 20, 20, 1));
  EXPECT_EQ(battle.units.count(), kUnitSpriteSlots);
  battle.spriteCount = 0;
  battle.units.clear();
  EXPECT_FALSE(battle.addCombatant(database.getCharacter(1), 26, 1, 1));
  EXPECT_FALSE(battle.addCombatant(database.getCharacter(1), 0, 5, 1));
  EXPECT_FALSE(battle.addCombatant(database.getCharacter(1), 3, -1, 1));
  EXPECT_EQ(battle.units.count(), 0);
  EXPECT_EQ(battle.combatantAt(-4, 99).id, 0);
  EXPECT_FALSE(battle.cellIsFree(26, 26));
}

}  // namespace
}  // namespace varnholt::testing
