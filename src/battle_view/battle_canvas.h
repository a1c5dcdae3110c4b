#pragma once
// The drawing surface the battle view paints on: text, one cell of a picture sheet, and sprites, all onto
// the back buffer. The engine implements it for the game (EngineCanvas); tests record what is drawn.

namespace varnholt {

struct Sprite;

class BattleCanvas {
 public:
  virtual ~BattleCanvas() = default;

  // Text in the view's colour, RGB (32, 32, 32), with a transparent background.
  virtual void drawText(const char* text, int x, int y) = 0;
  // Text in a palette colour.
  virtual void drawTextIndexed(const char* text, int x, int y, int colorIndex) = 0;
  // Cell (cellColumn, cellRow) of a picture laid out in cells of cellWidth x cellHeight separated and
  // surrounded by one-pixel lines, drawn with its top-left corner at (x, y); palette index 0 is
  // transparent.
  virtual void drawSheetCell(const char* file, int cellWidth, int cellHeight, int cellColumn, int cellRow,
                             int x, int y) = 0;
  // A sprite at its position and current frame; nothing when it is hidden.
  virtual void drawSprite(Sprite& sprite) = 0;
  // Height of the display in pixels.
  virtual int screenHeight() const = 0;
};

}  // namespace varnholt
