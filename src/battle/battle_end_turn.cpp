// The end of a turn: the acting combatant goes to the back of the queue, the defeated leave the battle,
// and a side found empty hands over to the defeat or victory handling.

#include "battle/battle.h"

namespace varnholt {

TurnEnd Battle::endTurn() {
  finishWalk();
  flow_.setMessage(" ");
  acting.ap -= 15;
  // The working copy replaces its entry and goes to the back of the queue.
  writeBackActing();
  moveCells.clear();
  targetCells.clear();

  // Every combatant present now is examined once, in list order, and counted before its defeat is
  // handled: a side counts as beaten only when it had nobody left at the start of the pass.
  const UnitList present = units;
  int playerCount = 0;
  int otherCount = 0;
  for (int i = 0; i < present.count(); ++i) {
    const Character combatant = present.at(i);
    if (combatant.side == kPlayerSide) {
      ++playerCount;
    } else {
      ++otherCount;
    }
    if (combatant.hp >= 1) continue;
    setOccupancy(combatant.column, combatant.row, 0);
    if (Sprite* sprite = unitSpriteOf(combatant)) hideSprite(*sprite);
    flow_.roster.remove(combatant);
    if (combatant.side == kPlayerSide) flow_.roster.add(combatant);
    units.remove(combatant);
  }

  flow_.cursorMode = CursorMode::None;
  flow_.battleCommand = BattleCommand::None;
  state = kStateChoosing;
  if (playerCount == 0) {
    outcome_->handleDefeat();
    return TurnEnd::Defeat;
  }
  if (otherCount == 0) {
    outcome_->handleVictory();
    return TurnEnd::Victory;
  }
  return TurnEnd::Continues;
}

}  // namespace varnholt
