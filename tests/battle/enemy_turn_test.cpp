// The computer's turn: where its combatant moves, whom it attacks, and how its turn ends otherwise.

#include "battle_fixture.h"

namespace varnholt::testing {
namespace {

class EnemyTurn : public BattleTest {
 protected:
  // Places the combatants (id, column, row, side), lets raider 20 (with the given move range and
  // weapon) be chosen and run its command frame, then frames until it has walked and decided; returns
  // those frames.
  int playRaiderTurn(std::vector<std::vector<int>> placed, int moveRange = 2, int weapon = 1) {
    for (const auto& p : placed) add(p[0], p[1], p[2], p[3]);
    battle.state = kStateChoosing;
    edit(20, [&](Character& c) {
      c.aspd = 100;
      c.moveRange = moveRange;
      c.equipment[kWeaponSlot] = weapon;
    });
    moveToFront(20);
    battle.step();
    battle.step();
    moveDraws = random.drawCount();
    actingAfterMove = battle.acting;
    int frames = 0;
    while (battle.state == kStateEnemyMove && frames < 200) {
      battle.drawOverlay();
      battle.step();
      ++frames;
    }
    return frames;
  }
  std::uint64_t moveDraws = 0;
  Character actingAfterMove;
};

TEST_F(EnemyTurn, ItMovesNextToTheCombatantWithIdOneAndStrikesIt) {
  // Two cells down, 38 steps: the command frame's overlay only sets the velocity, then two steps a frame.
  EXPECT_EQ(playRaiderTurn({{20, 5, 5, 2}, {1, 5, 8, 1}}), 20);
  EXPECT_EQ(std::make_pair(actingAfterMove.column, actingAfterMove.row), std::make_pair(5, 7));
  EXPECT_EQ(actingAfterMove.ap, -30);
  EXPECT_EQ(moveDraws, 0u);
  EXPECT_EQ(battle.state, kStateAttackEffect);
  EXPECT_EQ(random.drawCount(), 5u);
}

TEST_F(EnemyTurn, IdOneIsSoughtOnEitherSideButOnlyPlayersAreStruckRightLeftBelowAboveFirst) {
  playRaiderTurn({{20, 5, 5, 2}, {1, 5, 8, 2}});
  EXPECT_EQ(actingAfterMove.row, 7);
  EXPECT_EQ(battle.state, kStateChoosing);  // its own side is never struck

  struct Case {
    std::vector<std::vector<int>> neighbours;
    GridPos struck;
  };
  for (const Case& c :
       {Case{{{3, 5, 4, 1}, {2, 4, 5, 1}, {21, 6, 5, 2}}, {4, 5}}, Case{{{2, 4, 5, 1}, {3, 6, 5, 1}}, {6, 5}},
        Case{{{3, 5, 4, 1}, {2, 5, 6, 1}}, {5, 6}}}) {
    battle.units.clear();
    battle.loadMap(1);
    battle.spriteCount = 0;
    std::vector<std::vector<int>> placed = c.neighbours;
    placed.push_back({20, 5, 5, 2});
    playRaiderTurn(placed, 0);
    ASSERT_EQ(battle.state, kStateAttackEffect);
    EXPECT_EQ(std::make_pair(battle.swordSprite.x, battle.swordSprite.y),
              std::make_pair(float(unitPixelX(c.struck.column)), float(unitPixelY(c.struck.row))));
  }
}

TEST_F(EnemyTurn, NextToIdOneItMovesOntoItsOwnCellAndStillPays) {
  EXPECT_EQ(playRaiderTurn({{20, 5, 5, 2}, {1, 5, 6, 1}}), 1);
  EXPECT_EQ(std::make_pair(actingAfterMove.column, actingAfterMove.row), std::make_pair(5, 5));
  EXPECT_EQ(actingAfterMove.ap, -30);
  EXPECT_EQ(battle.state, kStateAttackEffect);
}

TEST_F(EnemyTurn, WithoutIdOneOneDrawPicksTheCell) {
  add(20, 5, 5, 2);
  battle.acting = unit(20);
  battle.fillMoveCells(5, 5, 2);
  RandomGenerator preview = random;
  const GridPos expected = battle.moveCells.at(preview.next() % battle.moveCells.count());
  battle.units.clear();
  battle.loadMap(1);
  battle.spriteCount = 0;
  playRaiderTurn({{20, 5, 5, 2}, {2, 9, 9, 1}});
  EXPECT_EQ(moveDraws, 1u);
  EXPECT_EQ(std::make_pair(actingAfterMove.column, actingAfterMove.row),
            std::make_pair(expected.column, expected.row));
}

TEST_F(EnemyTurn, NobodyToStrikeARefusedStrikeOrNowhereToGo) {
  struct Case {
    int neighbourRow, moveRange, weapon, draws, ap;
    int endState;
  };
  // Nobody next to it; a neighbour its weapon cannot reach; no cell to move to (no draw, no AP).
  for (const Case& c : {Case{9, 0, 1, 1, -45, kStateChoosing}, Case{6, 0, 3, 1, -45, kStateChoosing},
                        Case{6, -1, 1, 0, -50, kStateAttackEffect}}) {
    battle.units.clear();
    battle.loadMap(1);
    battle.spriteCount = 0;
    const std::uint64_t draws = random.drawCount();
    add(2, 5, c.neighbourRow, 1);
    EXPECT_EQ(playRaiderTurn({{20, 5, 5, 2}}, c.moveRange, c.weapon), 1);
    EXPECT_EQ(moveDraws - draws, static_cast<std::uint64_t>(c.draws));
    EXPECT_EQ(battle.state, c.endState) << c.neighbourRow << " " << c.weapon;
    EXPECT_EQ(c.endState == kStateChoosing ? unit(20).ap : battle.acting.ap, c.ap);
  }
}

TEST_F(EnemyTurn, CellsBeyondASmallerMapCountAsEmpty) {
  add(1, 4, 2, 1);  // left in the layer beyond the next map's 3 columns and 2 rows
  add(2, 3, 3, 1);
  battle.loadMap(3);
  playRaiderTurn({{20, 3, 2, 2}}, 0);
  EXPECT_EQ(moveDraws, 1u);  // id 1 to the right was not seen
  EXPECT_EQ(battle.state, kStateChoosing);
}

TEST(EnemyDestination, AnEmptyAreaGivesNoCellAndDrawsNothing) {
  CellSet cells;
  RandomGenerator random;
  EXPECT_FALSE(chooseEnemyDestination(cells, MapRecord{}, random).has_value());
  EXPECT_EQ(random.drawCount(), 0u);
}

}  // namespace
}  // namespace varnholt::testing
