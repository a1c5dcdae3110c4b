// Copying a map: only the cells inside the source's size are taken.

#include "data/map_record.h"

#include <algorithm>
#include <cstring>

namespace varnholt {

MapRecord::MapRecord(const MapRecord& other) {
  *this = other;
}

MapRecord& MapRecord::operator=(const MapRecord& other) {
  if (this == &other) return *this;
  id = other.id;
  std::memcpy(name, other.name, sizeof name);
  columns = other.columns;
  rows = other.rows;
  // The size is clipped here as well, so a size set by hand cannot reach outside the layers.
  const int lastColumn = std::clamp(columns, 0, kMaxMapSide);
  const int lastRow = std::clamp(rows, 0, kMaxMapSide);
  for (int column = 1; column <= lastColumn; ++column) {
    for (int row = 1; row <= lastRow; ++row) {
      terrain[column][row] = other.terrain[column][row];
      occupancy[column][row] = other.occupancy[column][row];
    }
  }
  return *this;
}

void MapRecord::clearLayers() {
  std::memset(terrain, 0, sizeof terrain);
  std::memset(occupancy, 0, sizeof occupancy);
}

}  // namespace varnholt
