// MapRecord: column-major reading and the copy rule that takes only the cells inside the source's size.

#include "data/map_record.h"

#include <gtest/gtest.h>

#include "data/game_database.h"
#include "fixture_copy.h"

namespace varnholt {
namespace {

TEST(MapRecordRead, ValuesRunDownEachColumn) {
  GameDatabase database;
  test::useFixture(database, "map_3x2");
  const MapRecord map = database.getMap(1);
  EXPECT_EQ(map.columns, 3);
  EXPECT_EQ(map.rows, 2);
  const int expected[4][3] = {{0, 0, 0}, {0, 1, 2}, {0, 3, 4}, {0, 5, 6}};
  for (int column = 0; column <= 3; ++column) {
    for (int row = 0; row <= 2; ++row) {
      EXPECT_EQ(map.terrain[column][row], expected[column][row]) << column << "," << row;
      EXPECT_EQ(map.occupancy[column][row], 0);
    }
  }
}

TEST(MapRecordCopy, CellsOutsideTheNewSizeKeepTheirValues) {
  GameDatabase database;
  test::useFixture(database, "map_3x2");
  MapRecord map = database.getMap(2);
  map.occupancy[4][4] = 9;
  map.occupancy[1][1] = 8;
  map = database.getMap(1);
  EXPECT_STREQ(map.name, "Tiny");
  EXPECT_EQ(map.terrain[3][2], 6);
  EXPECT_EQ(map.occupancy[1][1], 0);
  EXPECT_EQ(map.terrain[3][3], 33);
  EXPECT_EQ(map.occupancy[4][4], 9);
  // A size set out of range by hand copies no more than the layers hold.
  MapRecord wide;
  wide.columns = 40;
  wide.rows = -1;
  map = wide;
  EXPECT_EQ(map.terrain[3][2], 6);
  map.clearLayers();
  EXPECT_EQ(map.terrain[3][3], 0);
}

}  // namespace
}  // namespace varnholt
