// Movement: which cells the fills mark (and which a full set keeps), moving the acting combatant, and
// the walking step of its sprite.

#include <cstdlib>
#include <utility>

#include "battle_fixture.h"

namespace varnholt::testing {
namespace {

class Movement : public BattleTest {
 protected:
  void SetUp() override {
    useMap();
    add(1, 2, 2, 1);
    battle.acting = unit(1);
  }
};

TEST_F(Movement, RangeZeroMarksOnlyTheOwnCellAndMovingThereStillCosts) {
  battle.fillMoveCells(2, 2, 0);
  ASSERT_EQ(cellsOf(battle.moveCells), (std::vector<GridPos>{{2, 2}}));
  EXPECT_TRUE(battle.moveActing(2, 2));
  EXPECT_EQ(battle.acting.ap, -30);
  EXPECT_EQ(battle.map.occupancy[2][2], 1);
}

TEST_F(Movement, ANegativeRangeMarksNothing) {
  battle.fillMoveCells(2, 2, -1);
  battle.fillTargetCells(2, 2, -3);
  EXPECT_EQ(battle.moveCells.count(), 0);
  EXPECT_EQ(battle.targetCells.count(), 0);
}

TEST_F(Movement, AnotherCombatantBlocksItsCellAndWhatLiesBehindItButCanBeTargeted) {
  add(20, 3, 2, 2);
  add(21, 2, 1, 2);
  battle.acting = unit(1);
  battle.fillMoveCells(2, 2, 2);
  battle.fillTargetCells(2, 2, 2);
  EXPECT_FALSE(holds(battle.moveCells, GridPos{3, 2}));
  EXPECT_FALSE(holds(battle.moveCells, GridPos{4, 2}));  // only through (3, 2)
  EXPECT_TRUE(holds(battle.moveCells, GridPos{3, 3}));
  EXPECT_TRUE(holds(battle.moveCells, GridPos{2, 4}));
  EXPECT_TRUE(holds(battle.targetCells, GridPos{3, 2}));
  EXPECT_TRUE(holds(battle.targetCells, GridPos{4, 2}));
  EXPECT_TRUE(holds(battle.targetCells, GridPos{2, 1}));
}

TEST_F(Movement, CellsInRangeFormTheDiamondCutByTheMapEdges) {
  struct Case {
    int column, row, range, expected;
  };
  for (const Case& c : {Case{5, 5, 1, 5}, Case{5, 5, 3, 25}, Case{1, 1, 2, 6}, Case{10, 10, 1, 3}}) {
    battle.targetCells.clear();
    battle.fillTargetCells(c.column, c.row, c.range);
    EXPECT_EQ(battle.targetCells.count(), c.expected) << c.column << "," << c.row << " range " << c.range;
    for (const GridPos& cell : cellsOf(battle.targetCells))
      EXPECT_LE(std::abs(cell.column - c.column) + std::abs(cell.row - c.row), c.range);
  }
}

// An independent model of the fill: the cells visited by the recursion, in visit order, fed through a
// least-recently-visited set of 50 that appends new cells and closes gaps on eviction.
std::vector<GridPos> modelFill(int columns, int rows, GridPos start, int range) {
  std::vector<GridPos> visits;
  std::vector<std::pair<GridPos, int>> stack{{start, range}};
  while (!stack.empty()) {
    auto [cell, budget] = stack.back();
    stack.pop_back();
    if (budget < 0 || cell.column < 1 || cell.column > columns || cell.row < 1 || cell.row > rows) continue;
    visits.push_back(cell);
    // Pushed in reverse so that right, left, below, above are visited in this order.
    stack.push_back({{cell.column, cell.row - 1}, budget - 1});
    stack.push_back({{cell.column, cell.row + 1}, budget - 1});
    stack.push_back({{cell.column - 1, cell.row}, budget - 1});
    stack.push_back({{cell.column + 1, cell.row}, budget - 1});
  }
  std::vector<std::pair<GridPos, long>> set;  // cell, time of its last visit
  long time = 0;
  for (const GridPos& cell : visits) {
    ++time;
    bool found = false;
    for (auto& entry : set) {
      if (entry.first == cell) {
        entry.second = time;
        found = true;
        break;
      }
    }
    if (found) continue;
    if (set.size() == 50) {
      std::size_t oldest = 0;
      for (std::size_t i = 1; i < set.size(); ++i)
        if (set[i].second < set[oldest].second) oldest = i;
      set.erase(set.begin() + static_cast<long>(oldest));
    }
    set.push_back({cell, time});
  }
  std::vector<GridPos> cells;
  for (const auto& entry : set) cells.push_back(entry.first);
  return cells;
}

TEST_F(Movement, AFullSetKeepsTheFiftyMostRecentlyVisitedCellsInItsOwnOrder) {
  battle.loadMap(4);
  for (int range : {5, 6}) {
    battle.targetCells.clear();
    battle.fillTargetCells(13, 13, range);
    EXPECT_EQ(battle.targetCells.count(), 50);
    EXPECT_EQ(cellsOf(battle.targetCells), modelFill(25, 25, {13, 13}, range)) << "range " << range;
  }
  // The reachable fill on an empty map is the same walk.
  battle.acting = Character{};
  battle.acting.id = 77;
  battle.fillMoveCells(13, 13, 5);
  EXPECT_EQ(cellsOf(battle.moveCells), modelFill(25, 25, {13, 13}, 5));
}

TEST_F(Movement, RangesAboveTenAreTreatedAsTen) {
  battle.fillTargetCells(1, 1, 12);
  CellSet atTen;
  fillCellsInRange(atTen, battle.map, 1, 1, 10);
  EXPECT_EQ(cellsOf(battle.targetCells), cellsOf(atTen));
}

TEST_F(Movement, AMoveOutsideTheMarkedCellsChangesNothing) {
  battle.fillMoveCells(2, 2, 1);
  const std::vector<int> before = order();
  EXPECT_FALSE(battle.moveActing(4, 4));
  EXPECT_EQ(battle.acting.ap, 0);
  EXPECT_EQ(battle.map.occupancy[2][2], 1);
  EXPECT_EQ(battle.unitWalking, 0);
  EXPECT_EQ(order(), before);
}

TEST_F(Movement, AMoveUpdatesTheGridTheCursorTheTargetsAndTheList) {
  add(20, 9, 9, 2);
  battle.acting = unit(1);
  battle.fillMoveCells(2, 2, 3);
  flow.battleCommand = 1;
  flow.cursorMode = 1;
  ASSERT_TRUE(battle.moveActing(4, 3));
  EXPECT_EQ(battle.map.occupancy[2][2], 0);
  EXPECT_EQ(battle.map.occupancy[4][3], 1);
  EXPECT_EQ(battle.acting.column, 4);
  EXPECT_EQ(battle.acting.row, 3);
  EXPECT_EQ(battle.acting.ap, -30);
  EXPECT_EQ(flow.battleCommand, 0);
  EXPECT_EQ(flow.cursorMode, 2);
  EXPECT_EQ(flow.cursorFrame(), 1);
  EXPECT_EQ(battle.unitWalking, 1);
  EXPECT_EQ(order().back(), 1);
  EXPECT_EQ(unit(1).column, 4);
  // The sword reaches one cell: the targets now surround the new cell.
  EXPECT_EQ(battle.targetCells.count(), 5);
  EXPECT_TRUE(holds(battle.targetCells, GridPos{5, 3}));
  // The reachable cells stay those of the turn's start: a second move may go back, for another 30.
  ASSERT_TRUE(battle.moveActing(2, 2));
  EXPECT_EQ(battle.acting.ap, -60);
}

TEST_F(Movement, AWalkOfTwoCellsRightAndOneDownGoesDiagonallyThenStraight) {
  Sprite& sprite = battle.unitSprites[unit(1).spriteSlot];
  ASSERT_EQ(sprite.x, 46.0f);
  ASSERT_EQ(sprite.y, 134.0f);
  const int targetX = unitPixelX(4);
  const int targetY = unitPixelY(3);
  battle.unitWalking = 1;
  std::vector<int> frames;
  int calls = 0;
  while (battle.unitWalking == 1 && calls < 100) {
    battle.walkStep(targetX, targetY);
    frames.push_back(sprite.currentFrame);
    ++calls;
  }
  // The first call only sets the velocities; 19 diagonal and 19 straight steps follow.
  EXPECT_EQ(calls, 39);
  EXPECT_EQ(sprite.x, 122.0f);
  EXPECT_EQ(sprite.y, 172.0f);
  for (int i = 0; i < 19; ++i) EXPECT_EQ(frames[static_cast<std::size_t>(i)], 0) << "call " << i + 1;
  for (int i = 19; i < 39; ++i) EXPECT_EQ(frames[static_cast<std::size_t>(i)], 3) << "call " << i + 1;
  EXPECT_EQ(sprite.xVelocity, 0.0f);
  EXPECT_EQ(sprite.yVelocity, 0.0f);
}

TEST_F(Movement, AWalkUpAndLeftFacesUpWhileItStillClimbs) {
  Sprite& sprite = battle.unitSprites[unit(1).spriteSlot];
  battle.unitWalking = 1;
  battle.walkStep(unitPixelX(1), unitPixelY(1));
  EXPECT_EQ(sprite.currentFrame, 1);
  EXPECT_EQ(sprite.xVelocity, -2.0f);
  EXPECT_EQ(sprite.yVelocity, -2.0f);
  for (int i = 0; i < 19; ++i) battle.walkStep(unitPixelX(1), unitPixelY(1));
  EXPECT_EQ(battle.unitWalking, 0);
  EXPECT_EQ(sprite.x, 8.0f);
  EXPECT_EQ(sprite.y, 96.0f);
}

}  // namespace
}  // namespace varnholt::testing
