// Movement: the cells the fills mark and which a full set keeps, moving the acting combatant, walking.

#include <algorithm>
#include <utility>

#include "battle_fixture.h"

namespace varnholt::testing {
namespace {

class Movement : public BattleTest {
 protected:
  void SetUp() override {
    add(1, 2, 2, 1);
    battle.acting = unit(1);
  }
};

TEST_F(Movement, RangeZeroMarksTheOwnCellANegativeRangeNothing) {
  battle.fillMoveCells(2, 2, -1);
  battle.fillTargetCells(2, 2, -3);
  EXPECT_EQ(battle.moveCells.count() + battle.targetCells.count(), 0);
  battle.fillMoveCells(2, 2, 0);
  ASSERT_EQ(cellsOf(battle.moveCells), (std::vector<GridPos>{{2, 2}}));
  EXPECT_TRUE(battle.moveActing(2, 2));  // still 30 AP
  EXPECT_EQ(battle.acting.ap, -30);
}

TEST_F(Movement, ACombatantBlocksItsCellAndWhatLiesBehindItButNotTargeting) {
  add(20, 3, 2, 2);
  battle.fillMoveCells(2, 2, 2);
  battle.fillTargetCells(2, 2, 2);
  EXPECT_FALSE(holds(battle.moveCells, {3, 2}));
  EXPECT_FALSE(holds(battle.moveCells, {4, 2}));
  EXPECT_TRUE(holds(battle.moveCells, {3, 3}));
  EXPECT_TRUE(holds(battle.targetCells, {3, 2}));
  EXPECT_TRUE(holds(battle.targetCells, {4, 2}));
  EXPECT_EQ(battle.targetCells.count(), 11);  // the range-2 diamond cut by the edges at row and column 1
}

// An independent model of a fill: the recursion's visits in order, kept in a set of 50 that drops the
// least recently visited cell and appends new ones.
std::vector<GridPos> modelFill(int size, GridPos start, int range) {
  std::vector<GridPos> set;
  std::vector<long> lastVisit;
  long time = 0;
  std::vector<std::pair<GridPos, int>> stack{{start, range}};
  while (!stack.empty()) {
    auto [cell, budget] = stack.back();
    stack.pop_back();
    if (budget < 0 || cell.column < 1 || cell.column > size || cell.row < 1 || cell.row > size) continue;
    ++time;
    const auto at = std::find(set.begin(), set.end(), cell);
    if (at != set.end()) {
      lastVisit[static_cast<std::size_t>(at - set.begin())] = time;
    } else {
      if (set.size() == 50) {
        const auto oldest = std::min_element(lastVisit.begin(), lastVisit.end()) - lastVisit.begin();
        set.erase(set.begin() + oldest);
        lastVisit.erase(lastVisit.begin() + oldest);
      }
      set.push_back(cell);
      lastVisit.push_back(time);
    }
    for (GridPos next : {GridPos{cell.column, cell.row - 1}, GridPos{cell.column, cell.row + 1},
                         GridPos{cell.column - 1, cell.row}, GridPos{cell.column + 1, cell.row}})
      stack.push_back({next, budget - 1});
  }
  return set;
}

TEST_F(Movement, AFullSetKeepsTheFiftyMostRecentlyVisitedCellsInItsOwnOrder) {
  battle.loadMap(4);  // 25 x 25
  for (int range : {5, 6, 12}) {
    battle.targetCells.clear();
    battle.fillTargetCells(13, 13, range);
    // Ranges above 10 are treated as 10.
    EXPECT_EQ(cellsOf(battle.targetCells), modelFill(25, {13, 13}, std::min(range, 10))) << range;
  }
  battle.acting.id = 77;
  battle.fillMoveCells(13, 13, 5);
  EXPECT_EQ(cellsOf(battle.moveCells), modelFill(25, {13, 13}, 5));
}

TEST_F(Movement, AMoveOffTheMarkedCellsChangesNothingAMoveOnThemUpdatesEverything) {
  add(20, 9, 9, 2);
  battle.acting = unit(1);
  battle.fillMoveCells(2, 2, 3);
  EXPECT_FALSE(battle.moveActing(9, 9));
  EXPECT_EQ(battle.acting.ap, 0);
  EXPECT_EQ(order(), (std::vector<int>{1, 20}));
  ASSERT_TRUE(battle.moveActing(4, 3));
  EXPECT_EQ(battle.map.occupancy[2][2], 0);
  EXPECT_EQ(battle.map.occupancy[4][3], 1);
  EXPECT_EQ(unit(1).column, 4);
  EXPECT_EQ(order(), (std::vector<int>{20, 1}));
  EXPECT_EQ(battle.unitWalking, 1);
  EXPECT_EQ(flow.cursorMode, CursorMode::CommandBar);
  EXPECT_EQ(battle.targetCells.count(), 5);  // the sword's reach around (4, 3)
  ASSERT_TRUE(battle.moveActing(2, 2));      // the turn's first marks still hold
  EXPECT_EQ(battle.acting.ap, -60);
}

TEST_F(Movement, AWalkTwoCellsRightAndOneDownGoesDiagonallyThenStraight) {
  const Sprite& sprite = battle.unitSprites[0];
  battle.unitWalking = 1;
  std::vector<int> frames;
  while (battle.unitWalking == 1 && frames.size() < 100) {
    battle.walkStep(unitPixelX(4), unitPixelY(3));
    frames.push_back(sprite.currentFrame);
  }
  // The first call only sets the velocities; 19 diagonal and 19 straight steps follow.
  std::vector<int> expected(19, 0);
  expected.resize(39, 3);
  EXPECT_EQ(frames, expected);
  EXPECT_EQ(sprite.x, 122.0f);
  EXPECT_EQ(sprite.y, 172.0f);
}

}  // namespace
}  // namespace varnholt::testing
