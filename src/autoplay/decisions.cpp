// The auto-player's choices: cursor steps, the blow worth striking, the cell worth moving to.
#include "autoplay/decisions.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "battle/combat_formulas.h"
#include "flow/screen_rules.h"

namespace varnholt::autoplay {

KeySet gridKeyToward(int gridColumn, int gridRow, GridPos target) {
  if (gridColumn < target.column) return app::KEY_RIGHT;
  if (gridColumn > target.column) return app::KEY_LEFT;
  if (gridRow < target.row) return app::KEY_DOWN;
  if (gridRow > target.row) return app::KEY_UP;
  return app::KEY_ENTER;
}

KeySet commandBarKeyToward(float cursorX, float buttonX) {
  if (cursorX < buttonX) return app::KEY_RIGHT;
  if (cursorX > buttonX) return app::KEY_LEFT;
  return app::KEY_ENTER;
}

KeySet selectionKeyToward(float cursorX, int index) {
  return commandBarKeyToward(cursorX, kSelectionCursorX0 + static_cast<float>(kPortraitStep * index));
}

int cellDistance(GridPos a, GridPos b) {
  return std::abs(a.column - b.column) + std::abs(a.row - b.row);
}

GridPos cellOf(const Character& combatant) {
  return {combatant.column, combatant.row};
}

double blowValue(const Character& attacker, const Character& target) {
  const int damage = blowDamage(attacker, target);
  if (damage <= 0 || target.hp < 1) return 0;
  // A roll of 0..99 hits when it is at most the threshold.
  const std::int64_t threshold = hitThreshold(attacker.hit, target.flee);
  const double chance = std::clamp(static_cast<double>(threshold + 1), 0.0, 100.0) / 100.0;
  const double felled = damage >= target.hp ? target.hp : 0;
  return chance * (std::min(damage, target.hp) + felled);
}

namespace {

bool isOpponent(const Character& self, const Character& other) {
  return (self.side == 1) != (other.side == 1) && other.hp >= 1;
}

bool contains(const std::vector<GridPos>& cells, GridPos cell) {
  return std::find(cells.begin(), cells.end(), cell) != cells.end();
}

// The best blow from `from` with the weapon's range, and its value.
double bestBlowFrom(const Character& attacker, GridPos from, int range, const std::vector<Character>& units) {
  Character placed = attacker;
  placed.column = from.column;
  placed.row = from.row;
  double best = 0;
  for (const Character& other : units) {
    if (!isOpponent(attacker, other) || cellDistance(from, cellOf(other)) > range) continue;
    best = std::max(best, blowValue(placed, other));
  }
  return best;
}

int distanceToNearestOpponent(const Character& self, GridPos from, const std::vector<Character>& units) {
  int nearest = std::numeric_limits<int>::max();
  for (const Character& other : units)
    if (isOpponent(self, other)) nearest = std::min(nearest, cellDistance(from, cellOf(other)));
  return nearest;
}

}  // namespace

std::optional<GridPos> chooseTarget(const Character& attacker, const std::vector<Character>& units,
                                    const std::vector<GridPos>& cells) {
  std::optional<GridPos> choice;
  double best = 0;
  for (const Character& other : units) {
    if (!isOpponent(attacker, other) || !contains(cells, cellOf(other))) continue;
    const double value = blowValue(attacker, other);
    if (value > best) {
      best = value;
      choice = cellOf(other);
    }
  }
  return choice;
}

std::optional<GridPos> chooseMoveCell(const Character& mover, int range, const std::vector<Character>& units,
                                      const std::vector<GridPos>& moveCells) {
  const GridPos here = cellOf(mover);
  // Ranked by: the blow it allows (higher), the distance to the nearest opponent (lower), staying put,
  // then the steps from here (fewer).
  struct Rank {
    double blow;
    int nearest;
    int steps;
  };
  auto better = [](const Rank& a, const Rank& b) {
    if (a.blow != b.blow) return a.blow > b.blow;
    if (a.blow == 0 && a.nearest != b.nearest) return a.nearest < b.nearest;
    return a.steps < b.steps;
  };
  auto rankOf = [&](GridPos cell) {
    return Rank{bestBlowFrom(mover, cell, range, units), distanceToNearestOpponent(mover, cell, units),
                cellDistance(here, cell)};
  };
  GridPos bestCell = here;
  Rank best = rankOf(here);
  for (GridPos cell : moveCells) {
    const Rank rank = rankOf(cell);
    if (better(rank, best)) {
      best = rank;
      bestCell = cell;
    }
  }
  if (bestCell == here) return std::nullopt;
  return bestCell;
}

std::optional<GridPos> chooseApproachCell(const Character& mover, const std::vector<GridPos>& goals,
                                          const std::vector<GridPos>& moveCells) {
  const GridPos here = cellOf(mover);
  auto toGoal = [&](GridPos cell) {
    int nearest = std::numeric_limits<int>::max();
    for (GridPos goal : goals) nearest = std::min(nearest, cellDistance(cell, goal));
    return nearest;
  };
  GridPos best = here;
  for (GridPos cell : moveCells) {
    const int nearer = toGoal(cell) - toGoal(best);
    if (nearer < 0 || (nearer == 0 && cellDistance(here, cell) < cellDistance(here, best))) best = cell;
  }
  if (best == here) return std::nullopt;
  return best;
}

std::vector<GridPos> cellsInRange(GridPos from, int range) {
  std::vector<GridPos> cells;
  for (int column = 1; column <= kGridCells; ++column)
    for (int row = 1; row <= kGridCells; ++row)
      if (cellDistance(from, {column, row}) <= range) cells.push_back({column, row});
  return cells;
}

}  // namespace varnholt::autoplay
