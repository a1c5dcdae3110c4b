#pragma once
// The battle view: the unit and effect sprites, the cell markers, the skill list, the status panel, and
// the drawing the battle rules ask for through their presentation interface.

#include "battle/battle.h"
#include "battle/battle_presentation.h"
#include "battle/game_flow_state.h"
#include "battle_view/battle_canvas.h"
#include "data/game_database.h"
#include "data/grid_geometry.h"

namespace varnholt {

// Screen places of the battle view.
inline constexpr int kSkillListX = 450;
inline constexpr int kSkillListSecondX = 550;
inline constexpr int kSkillListTop = 400;
inline constexpr int kSkillListBottom = 555;
inline constexpr int kSkillLineHeight = 15;
inline constexpr int kSkillDescriptionY = 575;
inline constexpr int kTurnLineColorIndex = 50;

class BattleView final : public BattlePresentation {
 public:
  BattleView(GameDatabase& database, GameFlowState& flow, BattleCanvas& canvas);

  // The swing and hit sprites of the battle, from "sword.bmp" and "hit.bmp"; both start hidden. Returns 1.
  int createEffectSprites(Battle& battle);

  // The marker of one cell: cell (2, 0) of "cur.bmp".
  void drawCellMarker(int column, int row);
  void drawMoveCells(const Battle& battle);
  void drawTargetCells(const Battle& battle);
  // Lists the acting combatant's skills at x 450 from y 400. The line under the cursor is highlighted:
  // the targets of its range around the acting combatant are marked (and become the battle's target
  // cells), its description is shown, and on request it becomes the selected skill. The request is
  // always cleared afterwards.
  void drawSkillList(Battle& battle);

  // BattlePresentation
  void createUnitSprite(Sprite& sprite, const Character& combatant) override;
  void drawTurnLine(const char* name) override;
  void drawStatusPanel(const Character& character, int x, int y) override;
  void drawMessage(const char* text) override;
  void drawSprite(Sprite& sprite) override;

 private:
  GameDatabase& database_;
  GameFlowState& flow_;
  BattleCanvas& canvas_;
};

}  // namespace varnholt
