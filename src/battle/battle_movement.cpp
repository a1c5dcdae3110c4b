// Movement on the grid: the reachable and in-range cell fills, moving the acting combatant, and the
// walking step of its sprite.

#include <algorithm>

#include "battle/battle.h"

namespace varnholt {

namespace {

// The layers hold 25 columns and rows past index 0; a larger map size still stops at the layer's edge.
constexpr int kLayerCells = 25;

struct FillBounds {
  int columns;
  int rows;
};

FillBounds boundsOf(const MapRecord& map) {
  return {std::min(map.columns, kLayerCells), std::min(map.rows, kLayerCells)};
}

int clampRange(int range) {
  return std::min(range, kMaxFillRange);
}

void addOrRefresh(CellSet& cells, GridPos cell) {
  if (cells.find(cell) < 0) cells.add(cell);
}

// No visited marks: a cell is visited again along every path within the budget, and each visit refreshes
// its entry in the set. Which cells a full set keeps, and in which order, follows from that.
void reachable(CellSet& cells, const MapRecord& map, FillBounds bounds, int actingId, int column, int row,
               int range) {
  if (range < 0) return;
  if (column < 1 || column > bounds.columns || row < 1 || row > bounds.rows) return;
  const int occupant = map.occupancy[column][row];
  if (occupant != 0 && occupant != actingId) return;
  addOrRefresh(cells, GridPos{column, row});
  reachable(cells, map, bounds, actingId, column + 1, row, range - 1);
  reachable(cells, map, bounds, actingId, column - 1, row, range - 1);
  reachable(cells, map, bounds, actingId, column, row + 1, range - 1);
  reachable(cells, map, bounds, actingId, column, row - 1, range - 1);
}

void inRange(CellSet& cells, FillBounds bounds, int column, int row, int range) {
  if (range < 0) return;
  if (column < 1 || column > bounds.columns || row < 1 || row > bounds.rows) return;
  addOrRefresh(cells, GridPos{column, row});
  inRange(cells, bounds, column + 1, row, range - 1);
  inRange(cells, bounds, column - 1, row, range - 1);
  inRange(cells, bounds, column, row + 1, range - 1);
  inRange(cells, bounds, column, row - 1, range - 1);
}

}  // namespace

void fillReachableCells(CellSet& cells, const MapRecord& map, int actingId, int column, int row, int range) {
  reachable(cells, map, boundsOf(map), actingId, column, row, clampRange(range));
}

void fillCellsInRange(CellSet& cells, const MapRecord& map, int column, int row, int range) {
  inRange(cells, boundsOf(map), column, row, clampRange(range));
}

void Battle::fillMoveCells(int column, int row, int range) {
  fillReachableCells(moveCells, map, acting.id, column, row, range);
}

void Battle::fillTargetCells(int column, int row, int range) {
  fillCellsInRange(targetCells, map, column, row, range);
}

// A move may go to any cell marked at the start of the turn, whatever the distance, for 30 AP; the
// reachable cells are not recomputed, and the battle stays in the command phase.
bool Battle::moveActing(int column, int row) {
  if (moveCells.find(GridPos{column, row}) < 0) return false;
  acting.ap -= 30;
  setOccupancy(acting.column, acting.row, 0);
  acting.column = column;
  acting.row = row;
  setOccupancy(column, row, acting.id);
  flow_.battleCommand = BattleCommand::None;
  flow_.cursorMode = CursorMode::CommandBar;
  flow_.cursorToCommandBar();
  unitWalking = 1;
  targetCells.clear();
  fillTargetCells(column, row, weaponRange(acting));
  writeBackActing();
  return true;
}

// The velocity set in one call is applied at the start of the next, so the first call after a move from
// rest moves nothing; the vertical facing wins whenever the sprite still moves vertically.
void Battle::walkStep(int targetX, int targetY) {
  Sprite* sprite = unitSpriteOf(acting);
  if (sprite == nullptr) {
    unitWalking = 0;
    return;
  }
  moveSprite(*sprite);
  const float tx = static_cast<float>(targetX);
  const float ty = static_cast<float>(targetY);
  if (tx > sprite->x) {
    sprite->xVelocity = 2;
    sprite->currentFrame = 3;
  } else if (tx < sprite->x) {
    sprite->xVelocity = -2;
    sprite->currentFrame = 2;
  }
  if (ty < sprite->y) {
    sprite->yVelocity = -2;
    sprite->currentFrame = 1;
  } else if (ty > sprite->y) {
    sprite->yVelocity = 2;
    sprite->currentFrame = 0;
  }
  if (tx == sprite->x) sprite->xVelocity = 0;
  if (ty == sprite->y) sprite->yVelocity = 0;
  if (sprite->xVelocity == 0 && sprite->yVelocity == 0) unitWalking = 0;
}

// A walk still under way when the turn ends is completed at once, so the next combatant's walk never
// starts from a sprite left half-way with a velocity.
void Battle::finishWalk() {
  if (unitWalking == 0) return;
  if (Sprite* sprite = unitSpriteOf(acting)) {
    setSpritePosition(*sprite, flow_.moveTargetX, flow_.moveTargetY);
    sprite->xVelocity = 0;
    sprite->yVelocity = 0;
  }
  unitWalking = 0;
}

}  // namespace varnholt
