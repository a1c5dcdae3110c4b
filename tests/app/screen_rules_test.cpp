// The screens' cursor rules and the party placement.
#include "app/screen_rules.h"

#include <gtest/gtest.h>

namespace varnholt::app {
namespace {

MapRecord openMap(int columns, int rows) {
  MapRecord map;
  map.columns = columns;
  map.rows = rows;
  return map;
}

TEST(PartyPlacement, DrawsTheColumnFirstAndRedrawsTakenCells) {
  // From the generator's start the first pairs of draws give (2, 8) and then (5, 1).
  RandomGenerator random;
  MapRecord map = openMap(12, 10);
  auto cell = placePartyMember(map, random);
  ASSERT_TRUE(cell.has_value());
  EXPECT_EQ(*cell, (GridPos{2, 8}));
  EXPECT_EQ(random.drawCount(), 2u);

  random.reset();
  map.occupancy[2][8] = 20;
  cell = placePartyMember(map, random);
  EXPECT_EQ(*cell, (GridPos{5, 1}));
  EXPECT_EQ(random.drawCount(), 4u);
}

TEST(PartyPlacement, OnlyCellsOnTheMapCount) {
  RandomGenerator random;
  MapRecord map = openMap(3, 3);
  for (int attempt = 0; attempt < 20; ++attempt) {
    auto cell = placePartyMember(map, random);
    ASSERT_TRUE(cell.has_value());
    EXPECT_LE(cell->column, 3);
    EXPECT_LE(cell->row, 3);
    EXPECT_EQ(random.drawCount() % 2, 0u) << "always a column and a row";
  }
}

TEST(PartyPlacement, NoFreeCellOnTheMapMeansNoDraw) {
  struct Case {
    int columns, rows;
    bool fill;
  };
  const Case cases[] = {{2, 2, true}, {0, 0, false}, {10, 10, true}, {25, 25, true}};
  for (const auto& c : cases) {
    MapRecord map = openMap(c.columns, c.rows);
    for (int column = 1; c.fill && column <= 10; ++column) {
      for (int row = 1; row <= 10; ++row) map.occupancy[column][row] = 30;
    }
    RandomGenerator random;
    EXPECT_FALSE(placePartyMember(map, random).has_value()) << c.columns << "x" << c.rows;
    EXPECT_EQ(random.drawCount(), 0u);
  }
  // A free cell beyond row 10 does not help: placement draws from columns and rows 1..10 only.
  MapRecord big = openMap(12, 12);
  for (int column = 1; column <= 10; ++column) {
    for (int row = 1; row <= 10; ++row) big.occupancy[column][row] = 30;
  }
  RandomGenerator random;
  EXPECT_FALSE(placePartyMember(big, random).has_value());
}

TEST(SelectionCursor, PortraitUnderTheCursor) {
  struct Case {
    float x;
    int count;
    std::optional<int> index;
  };
  const Case cases[] = {{45, 8, 0},
                        {395, 8, 7},
                        {95, 2, 1},
                        {145, 2, std::nullopt},
                        {0, 8, {}},
                        {46, 8, std::nullopt},
                        {445, 15, std::nullopt},
                        {45, 0, std::nullopt}};
  for (const auto& c : cases)
    EXPECT_EQ(rosterIndexAtCursor(c.x, c.count), c.index) << c.x << " of " << c.count;
}

TEST(MenuCursors, StepsAndLimits) {
  EXPECT_EQ(titleCursorUp(100), 100);
  EXPECT_EQ(titleCursorUp(150), 100);
  EXPECT_EQ(titleCursorDown(100), 150);
  EXPECT_EQ(titleCursorDown(150), 150);
  EXPECT_EQ(selectionCursorLeft(45), 45);
  EXPECT_EQ(selectionCursorLeft(95), 45);
  EXPECT_EQ(selectionCursorRight(345), 395);
  EXPECT_EQ(selectionCursorRight(395), 395);
}

TEST(BattleCursor, EachKeyInEachModeWithItsClamp) {
  struct Case {
    int mode;
    float x, y;
    int column, row;
    ArrowKey key;
    float wantX, wantY;
    int wantColumn, wantRow;
  };
  const Case cases[] = {
      // grid: a cell and 38 pixels together; the edges hold both
      {kModeGrid, 5, 105, 1, 1, ArrowKey::Right, 43, 105, 2, 1},
      {kModeGrid, 5, 105, 1, 1, ArrowKey::Left, 5, 105, 1, 1},
      {kModeGrid, 5, 105, 1, 1, ArrowKey::Up, 5, 105, 1, 1},
      {kModeGrid, 347, 447, 10, 10, ArrowKey::Right, 347, 447, 10, 10},
      {kModeGrid, 347, 447, 10, 10, ArrowKey::Down, 347, 447, 10, 10},
      {kModeGrid, 347, 447, 10, 10, ArrowKey::Up, 347, 409, 10, 9},
      // command bar: Up moves right, Down left, within 0..300
      {kModeCommandBar, 0, 515, 1, 1, ArrowKey::Up, 100, 515, 1, 1},
      {kModeCommandBar, 0, 515, 1, 1, ArrowKey::Down, 0, 515, 1, 1},
      {kModeCommandBar, 300, 515, 1, 1, ArrowKey::Right, 300, 515, 1, 1},
      {kModeCommandBar, 300, 515, 1, 1, ArrowKey::Left, 200, 515, 1, 1},
      // skill list: Right and Down move down, Left and Up up, within 390..555
      {kModeSkillList, 390, 390, 1, 1, ArrowKey::Right, 390, 405, 1, 1},
      {kModeSkillList, 390, 390, 1, 1, ArrowKey::Up, 390, 390, 1, 1},
      {kModeSkillList, 390, 555, 1, 1, ArrowKey::Down, 390, 555, 1, 1},
      {kModeSkillList, 390, 555, 1, 1, ArrowKey::Left, 390, 540, 1, 1},
      // no mode: nothing moves
      {kModeNone, 12, 34, 4, 5, ArrowKey::Right, 12, 34, 4, 5},
  };
  for (const auto& c : cases) {
    GameFlowState flow;
    flow.cursorMode = c.mode;
    flow.setCursor(c.x, c.y, 1);
    flow.gridColumn = c.column;
    flow.gridRow = c.row;
    battleArrow(flow, c.key);
    clampBattleCursor(flow);
    EXPECT_EQ(flow.cursorX(), c.wantX) << "mode " << c.mode << " key " << static_cast<int>(c.key);
    EXPECT_EQ(flow.cursorY(), c.wantY) << "mode " << c.mode << " key " << static_cast<int>(c.key);
    EXPECT_EQ(flow.gridColumn, c.wantColumn) << "mode " << c.mode;
    EXPECT_EQ(flow.gridRow, c.wantRow) << "mode " << c.mode;
    EXPECT_EQ(flow.cursorFrame(), 1) << "keys never change the cursor frame";
  }
}

TEST(BattleCursor, SkillListBelowItsTopJumpsToTheFirstLine) {
  GameFlowState flow;
  flow.cursorMode = kModeSkillList;
  flow.setCursor(390, 386, 2);
  clampBattleCursor(flow);
  EXPECT_EQ(flow.cursorY(), 386) << "385 and above stand";
  flow.setCursor(390, 384, 2);
  clampBattleCursor(flow);
  EXPECT_EQ(flow.cursorY(), 390);
}

TEST(BattleCursor, BackspaceOpensTheCommandBarWithNoCommand) {
  GameFlowState flow;
  flow.cursorMode = kModeSkillList;
  flow.battleCommand = kCommandSkill;
  flow.setCursor(390, 420, 2);
  openCommandBar(flow);
  EXPECT_EQ(flow.cursorMode, kModeCommandBar);
  EXPECT_EQ(flow.battleCommand, kCommandNone);
  EXPECT_EQ(flow.cursorX(), 0);
  EXPECT_EQ(flow.cursorY(), 515);
  EXPECT_EQ(flow.cursorFrame(), 1);
}

}  // namespace
}  // namespace varnholt::app
