// The computer's turn: where its combatant moves, whom it attacks, and how the turn ends when it cannot.

#include "battle_fixture.h"

namespace varnholt::testing {
namespace {

class EnemyTurn : public BattleTest {
 protected:
  void SetUp() override { useMap(); }

  // Chooses `id` as the acting combatant through the turn cycle and runs its state-2 frame.
  void startTurnOf(int id) {
    for (int i = 0; i < battle.units.count(); ++i) {
      const int other = battle.units.at(i).id;
      edit(other, [&](Character& c) { c.aspd = other == id ? 100 : 0; });
    }
    // The walk ends on the combatant standing first.
    moveToFront(id);
    battle.step();
    ASSERT_EQ(battle.acting.id, id);
    ASSERT_EQ(battle.state, kStateCommand);
    battle.step();
  }

  // Frames of the battle screen until the enemy's walk and decision are over; returns the frame count.
  int runUntilDecided() {
    int frames = 0;
    while (battle.state == kStateEnemyMove && frames < 200) {
      battle.drawOverlay();
      battle.step();
      ++frames;
    }
    return frames;
  }
};

TEST_F(EnemyTurn, ItMovesNextToTheCombatantWithIdOneAndAttacksIt) {
  add(20, 5, 5, 2);
  add(1, 5, 8, 1);
  startTurnOf(20);
  EXPECT_EQ(battle.state, kStateEnemyMove);
  EXPECT_EQ(battle.acting.column, 5);
  EXPECT_EQ(battle.acting.row, 7);
  EXPECT_EQ(battle.acting.ap, -30);
  EXPECT_EQ(flow.moveTargetX, unitPixelX(5));
  EXPECT_EQ(flow.moveTargetY, unitPixelY(7));
  EXPECT_EQ(random.drawCount(), 0u);
  // Two cells down, 38 steps: the first frame's overlay only sets the velocity, then two steps a frame.
  EXPECT_EQ(runUntilDecided(), 20);
  EXPECT_EQ(battle.state, kStateAttackEffect);
  EXPECT_EQ(random.drawCount(), 5u);
  EXPECT_EQ(battle.swordSprite.y, static_cast<float>(unitPixelY(8)));
  EXPECT_EQ(flow.battleCommand, 0);
}

TEST_F(EnemyTurn, TheIdOneRuleHoldsWhicheverSideThatCombatantIsOn) {
  add(20, 5, 5, 2);
  add(1, 5, 8, 2);
  startTurnOf(20);
  EXPECT_EQ(battle.acting.row, 7);
  EXPECT_EQ(random.drawCount(), 0u);
  runUntilDecided();
  // A neighbour of its own side is never attacked.
  EXPECT_EQ(battle.state, kStateChoosing);
}

TEST_F(EnemyTurn, WithoutIdOneItMovesToARandomCellOfItsArea) {
  add(20, 5, 5, 2);
  add(2, 9, 9, 1);
  battle.acting = unit(20);
  battle.fillMoveCells(5, 5, unit(20).moveRange);
  RandomGenerator preview = random;
  const GridPos expected = battle.moveCells.at(preview.next() % battle.moveCells.count());
  battle.moveCells.clear();
  startTurnOf(20);
  EXPECT_EQ(random.drawCount(), 1u);
  EXPECT_EQ(battle.acting.column, expected.column);
  EXPECT_EQ(battle.acting.row, expected.row);
}

TEST_F(EnemyTurn, NeighboursAreTriedRightLeftBelowAboveAndOnlyPlayersAreAttacked) {
  add(20, 5, 5, 2);
  add(21, 6, 5, 2);  // right: its own side
  add(3, 5, 4, 1);   // above
  add(2, 4, 5, 1);   // left
  edit(20, [](Character& c) { c.moveRange = 0; });
  startTurnOf(20);
  runUntilDecided();
  ASSERT_EQ(battle.state, kStateAttackEffect);
  EXPECT_EQ(battle.swordSprite.x, static_cast<float>(unitPixelX(4)));
  EXPECT_EQ(battle.swordSprite.y, static_cast<float>(unitPixelY(5)));
}

TEST_F(EnemyTurn, NextToIdOneItMovesOntoItsOwnCellAndPays) {
  add(20, 5, 5, 2);
  add(1, 5, 6, 1);
  startTurnOf(20);
  EXPECT_EQ(battle.acting.column, 5);
  EXPECT_EQ(battle.acting.row, 5);
  EXPECT_EQ(battle.acting.ap, -30);
  EXPECT_EQ(runUntilDecided(), 1);
  EXPECT_EQ(battle.state, kStateAttackEffect);
}

TEST_F(EnemyTurn, NobodyToAttackEndsTheTurnAtOnce) {
  add(20, 5, 5, 2);
  add(2, 9, 9, 1);
  edit(20, [](Character& c) { c.moveRange = 0; });
  startTurnOf(20);
  runUntilDecided();
  EXPECT_EQ(battle.state, kStateChoosing);
  EXPECT_EQ(flow.cursorMode, 0);
  EXPECT_EQ(flow.cursorY(), 515.0f);
  EXPECT_EQ(unit(20).ap, -30 - 15);
}

TEST_F(EnemyTurn, AnAttackTheTargetsRefuseEndsTheTurnInsteadOfRepeating) {
  add(20, 5, 5, 2);
  add(2, 5, 6, 1);
  edit(20, [](Character& c) {
    c.moveRange = 0;
    c.equipment[kWeaponSlot] = 3;  // reaches no cell but its own
  });
  startTurnOf(20);
  runUntilDecided();
  EXPECT_EQ(battle.state, kStateChoosing);
  EXPECT_EQ(unit(2).hp, unit(2).maxHp);
  EXPECT_EQ(random.drawCount(), 1u);  // the destination only, no blow
}

TEST_F(EnemyTurn, WithNowhereToGoItStaysWithoutPayingAndStillAttacks) {
  add(20, 5, 5, 2);
  add(2, 5, 6, 1);
  edit(20, [](Character& c) { c.moveRange = -1; });
  startTurnOf(20);
  EXPECT_EQ(battle.moveCells.count(), 0);
  EXPECT_EQ(battle.acting.ap, 0);
  EXPECT_EQ(random.drawCount(), 0u);
  EXPECT_EQ(runUntilDecided(), 1);
  EXPECT_EQ(battle.state, kStateAttackEffect);
  EXPECT_EQ(battle.unitSprites[unit(20).spriteSlot].x, static_cast<float>(unitPixelX(5)));
}

TEST_F(EnemyTurn, CellsOutsideASmallerMapCountAsEmpty) {
  // Both stay in the layer beyond the next map's three columns and two rows.
  add(1, 4, 2, 1);
  add(2, 3, 3, 1);
  battle.loadMap(3);
  ASSERT_EQ(battle.map.occupancy[4][2], 1);
  add(20, 3, 2, 2);
  add(21, 1, 1, 2);
  edit(20, [](Character& c) { c.moveRange = 0; });
  startTurnOf(20);
  EXPECT_EQ(random.drawCount(), 1u);  // id 1 to the right was not seen: a random pick
  battle.targetCells.add(GridPos{4, 2});
  battle.targetCells.add(GridPos{3, 3});
  runUntilDecided();
  EXPECT_EQ(battle.state, kStateChoosing);  // nor were the players to the right and below
}

TEST(EnemyDestination, AnEmptyAreaGivesNoCellAndDrawsNothing) {
  CellSet cells;
  MapRecord map;
  RandomGenerator random;
  EXPECT_FALSE(chooseEnemyDestination(cells, map, random).has_value());
  EXPECT_EQ(random.drawCount(), 0u);
}

}  // namespace
}  // namespace varnholt::testing
