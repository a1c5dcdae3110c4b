// The party placement and the portrait under the selection cursor (the cursor keys themselves are
// covered by the replay tests).
#include "flow/screen_rules.h"

#include <gtest/gtest.h>

namespace varnholt {
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

}  // namespace
}  // namespace varnholt
