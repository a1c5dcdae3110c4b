// The computer's turn: where its combatant moves, the move itself, and the frames of state 4 in which it
// walks and then attacks a neighbouring player's combatant or ends its turn.

#include "battle/battle.h"

namespace varnholt {

namespace {

// Neighbours are always taken right, left, below, above.
constexpr int kNeighbourColumn[4] = {1, -1, 0, 0};
constexpr int kNeighbourRow[4] = {0, 0, 1, -1};

}  // namespace

// The combatant looked for is the one whose id is 1, whichever side it is on.
std::optional<GridPos> chooseEnemyDestination(CellSet& moveCells, const MapRecord& map,
                                              RandomGenerator& random) {
  const int n = moveCells.count();
  for (int i = 0; i < n; ++i) {
    const GridPos cell = moveCells.at(i);
    for (int k = 0; k < 4; ++k) {
      if (occupancyInsideMap(map, cell.column + kNeighbourColumn[k], cell.row + kNeighbourRow[k]) == 1) {
        return cell;
      }
    }
  }
  if (n == 0) return std::nullopt;
  return moveCells.at(random.next() % n);
}

std::optional<GridPos> Battle::chooseEnemyDestination() {
  return varnholt::chooseEnemyDestination(moveCells, map, random_);
}

// An enemy with nowhere to go stays on its cell without paying, with its own cell as the walk target so
// that the walking steps of state 4 leave its sprite where it is.
void Battle::enemyMove() {
  const std::optional<GridPos> destination = chooseEnemyDestination();
  if (!destination) {
    flow_.moveTargetX = unitPixelX(acting.column);
    flow_.moveTargetY = unitPixelY(acting.row);
    unitWalking = 0;
    return;
  }
  moveActing(destination->column, destination->row);
  flow_.moveTargetX = unitPixelX(destination->column);
  flow_.moveTargetY = unitPixelY(destination->row);
  unitWalking = 1;
}

// Together with the step drawOverlay takes while the unit walks, the computer's sprite walks two steps
// per frame. An attack the target cells refuse ends the turn as if nobody stood next to the enemy, so a
// refused attack is never repeated frame after frame.
void Battle::enemyStep() {
  walkStep(flow_.moveTargetX, flow_.moveTargetY);
  if (unitWalking == 1) return;
  bool attacked = false;
  for (int k = 0; k < 4; ++k) {
    const int column = acting.column + kNeighbourColumn[k];
    const int row = acting.row + kNeighbourRow[k];
    const int id = occupancyInsideMap(map, column, row);
    if (id == 0) continue;
    const int index = units.findId(id);
    if (index < 0 || units.at(index).side != kPlayerSide) continue;
    attacked = attack(column, row);
    break;
  }
  if (!attacked) {
    flow_.cursorMode = CursorMode::CommandBar;
    flow_.cursorToCommandBar();
    endTurn();
  }
  flow_.battleCommand = BattleCommand::None;
}

}  // namespace varnholt
