#pragma once
// The battle view's canvas on the engine: text through the engine's text output, sheet cells through
// the shared loading station and a scratch image copied into the locked back buffer, sprites blitted
// onto the back buffer.

#include "battle_view/battle_canvas.h"
#include "engine/bitmap.h"

namespace varnholt {

class EngineCanvas final : public BattleCanvas {
 public:
  // `scratchImage` is the shared image every small picture passes through.
  explicit EngineCanvas(BitmapImage& scratchImage) : scratchImage_(scratchImage) {}

  void drawText(const char* text, int x, int y) override;
  void drawTextIndexed(const char* text, int x, int y, int colorIndex) override;
  void drawSheetCell(const char* file, int cellWidth, int cellHeight, int cellColumn, int cellRow, int x,
                     int y) override;
  void drawSprite(Sprite& sprite) override;
  int screenHeight() const override;

 private:
  BitmapImage& scratchImage_;
};

}  // namespace varnholt
