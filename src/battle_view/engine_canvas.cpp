// The battle view's canvas on the engine's back buffer.

#include "battle_view/engine_canvas.h"

#include "engine/display.h"
#include "engine/sprite.h"
#include "engine/text.h"

namespace varnholt {

namespace {

constexpr COLORREF kViewColor = makeColorRef(32, 32, 32);

}  // namespace

void EngineCanvas::drawText(const char* text, int x, int y) {
  varnholt::drawText(text, x, y, kViewColor, backBuffer);
}

void EngineCanvas::drawTextIndexed(const char* text, int x, int y, int colorIndex) {
  varnholt::drawTextIndexed(text, x, y, colorIndex, backBuffer);
}

// Every cell is loaded, copied and drawn anew; the engine's picture cache keeps the file from being read
// again in every frame.
void EngineCanvas::drawSheetCell(const char* file, int cellWidth, int cellHeight, int cellColumn, int cellRow,
                                 int x, int y) {
  loadBitmapFile(bitmapFile, file);
  createImage(scratchImage_, x, y, cellWidth, cellHeight, 8);
  loadImage(scratchImage_, bitmapFile, cellColumn, cellRow, 0);
  lockBackBuffer();
  drawImage(scratchImage_, backBufferMemory, backBufferPitch, 1);
  unlockBackBuffer();
  destroyImage(scratchImage_);
  unloadBitmapFile(bitmapFile);
}

void EngineCanvas::drawSprite(Sprite& sprite) {
  varnholt::drawSprite(sprite, backBuffer);
}

int EngineCanvas::screenHeight() const {
  return varnholt::screenHeight;
}

}  // namespace varnholt
