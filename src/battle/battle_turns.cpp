// The turn cycle: the per-frame step of the battle's state machine and the battle's per-frame drawing.

#include <cstdint>
#include <cstring>

#include "battle/battle.h"

namespace varnholt {

void Battle::step() {
  switch (state) {
    case kStateChoosing:
      chooseNextCombatant();
      break;
    case kStateCommand:
      commandPhase();
      break;
    case kStateEnemyMove:
      enemyStep();
      break;
    case kStateTurnOver:
      endTurn();
      break;
    case kStateAttackEffect:
      attackEffectStep();
      break;
    default:
      break;
  }
}

// Walks the list from its last position to its first with a running speed total. Every combatant passed
// goes to the end of the list (so a full walk reverses it), and the last position at which the total is
// 100 or more chooses who acts. The fills for a choice that a later position replaces would be thrown
// away, so they run once, for the final choice.
void Battle::chooseNextCombatant() {
  const int n = units.count();
  std::int64_t total = 0;
  bool chosen = false;
  Character choice;
  for (int i = n - 1; i >= 0; --i) {
    const Character combatant = units.at(i);
    total += combatant.aspd;
    if (total >= kTurnSpeed) {
      choice = combatant;
      chosen = true;
    }
    writeBack(combatant);
  }
  if (!chosen) return;
  acting = choice;
  moveCells.clear();
  targetCells.clear();
  fillMoveCells(acting.column, acting.row, acting.moveRange);
  fillTargetCells(acting.column, acting.row, weaponRange(acting));
  state = kStateCommand;
  flow_.cursorMode = CursorMode::CommandBar;
  flow_.cursorToCommandBar();
}

void Battle::commandPhase() {
  if (acting.side != kPlayerSide) {
    state = kStateEnemyMove;
    enemyMove();
  } else if (flow_.cursorMode == CursorMode::Grid) {
    flow_.setCursor(static_cast<float>(markerPixelX(flow_.gridColumn)),
                    static_cast<float>(markerPixelY(flow_.gridRow)), 0);
  }
  std::memcpy(actingName, acting.name, sizeof actingName);
  actingName[sizeof actingName - 1] = '\0';
  presentation_->drawTurnLine(actingName);
  presentation_->drawStatusPanel(acting, 400, 0);
}

// The swing shows until the effect counter passes the swap frame, the hit-or-miss picture until it passes
// the end frame, and the frame after that ends the turn.
void Battle::attackEffectStep() {
  ++effectFrame;
  if (effectFrame > effectEndFrame) {
    hideSprite(hitSprite);
    effectShowing = 0;
    state = kStateTurnOver;
    effectFrame = 0;
  } else if (effectFrame > effectSwapFrame) {
    hideSprite(swordSprite);
    showSprite(hitSprite);
  }
}

void Battle::drawOverlay() {
  presentation_->drawMessage(flow_.messageText);
  if (unitWalking == 1) walkStep(flow_.moveTargetX, flow_.moveTargetY);
  if (effectShowing == 1) {
    animateSprite(swordSprite);
    presentation_->drawSprite(swordSprite);
    animateSprite(hitSprite);
    presentation_->drawSprite(hitSprite);
  }
  presentation_->drawSprite(flow_.cursorSprite);
  const int slots = spriteCount < kUnitSpriteSlots ? spriteCount : kUnitSpriteSlots;
  for (int slot = 0; slot < slots; ++slot) presentation_->drawSprite(unitSprites[slot]);
}

}  // namespace varnholt
