#pragma once
// The battle view: the unit and effect sprites, the cell markers, the skill list, the status panel, and
// the drawing the battle rules ask for through their presentation interface. Beyond building the
// battle's sprites from their pictures it only draws: it decides no rules state and never sees the
// game-flow state.

#include "battle/battle.h"
#include "battle/battle_presentation.h"
#include "battle_view/battle_canvas.h"
#include "data/game_database.h"
#include "data/grid_geometry.h"

namespace varnholt {

// Screen places of the battle view.
inline constexpr int kTurnLineColorIndex = 50;

class BattleView final : public BattlePresentation {
 public:
  BattleView(GameDatabase& database, BattleCanvas& canvas);

  // The swing and hit sprites of the battle, from "sword.bmp" and "hit.bmp"; both start hidden. Returns 1.
  int createEffectSprites(Battle& battle);

  // The marker of one cell: cell (2, 0) of "cur.bmp".
  void drawCellMarker(int column, int row);
  void drawMoveCells(const Battle& battle);
  void drawTargetCells(const Battle& battle);
  // Draws the list Battle::highlightSkill laid out: each skill's name on its line and, right after the
  // highlighted line's name, the battle's target cells and that skill's description. Changes nothing.
  void drawSkillList(const Battle& battle, const SkillList& list);

  // BattlePresentation
  void createUnitSprite(Sprite& sprite, const Character& combatant) override;
  void drawTurnLine(const char* name) override;
  void drawStatusPanel(const Character& character, int x, int y) override;
  void drawMessage(const char* text) override;
  void drawSprite(Sprite& sprite) override;

 private:
  GameDatabase& database_;
  BattleCanvas& canvas_;
};

}  // namespace varnholt
