// The battle view's wiring and the simple drawing the battle rules ask for: the turn line, the message
// line and sprites.

#include "battle_view/battle_view.h"

namespace varnholt {

BattleView::BattleView(GameDatabase& database, BattleCanvas& canvas) : database_(database), canvas_(canvas) {}

void BattleView::drawTurnLine(const char* name) {
  const int y = canvas_.screenHeight() - 32;
  canvas_.drawTextIndexed(name, 0, y, kTurnLineColorIndex);
  canvas_.drawTextIndexed("'s turn", 40, y, kTurnLineColorIndex);
}

void BattleView::drawMessage(const char* text) {
  canvas_.drawText(text, 0, 0);
}

void BattleView::drawSprite(Sprite& sprite) {
  canvas_.drawSprite(sprite);
}

}  // namespace varnholt
