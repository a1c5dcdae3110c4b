#pragma once
// MapRecord: a battle map's size and its two 26 x 26 layers, indexed [column][row] with 1-based cells
// (index 0 is never a cell), so a map has at most 25 columns and 25 rows.

#include "data/grid_geometry.h"

namespace varnholt {

struct MapRecord {
  int id = 0;
  char name[16] = {};
  // Terrain codes from the map file; kept with the map, no rule reads them.
  int terrain[kMapLayerSize][kMapLayerSize] = {};
  // 0 for a free cell, else the id of the character standing on it.
  int occupancy[kMapLayerSize][kMapLayerSize] = {};
  int columns = 0;
  int rows = 0;

  MapRecord() = default;
  MapRecord(const MapRecord& other);
  // Takes the source's id, name and size and, of both layers, only the cells inside the source's size;
  // every other cell of this map keeps its value (cells outside the current size are never used).
  MapRecord& operator=(const MapRecord& other);

  // Every cell of both layers back to 0.
  void clearLayers();
};

}  // namespace varnholt
