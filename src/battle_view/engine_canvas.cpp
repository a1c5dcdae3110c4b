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

// The game copies a marker or portrait out of its picture for every drawing; the pixels are the same
// each time, so the copy is made once per cell and kept. A picture that cannot be loaded gives an image
// of index 0, which draws nothing.
BitmapImage& EngineCanvas::cellImage(const char* file, int cellWidth, int cellHeight, int cellColumn,
                                     int cellRow) {
  std::string key = std::string(file) + '\n' + std::to_string(cellWidth) + 'x' + std::to_string(cellHeight) +
                    '@' + std::to_string(cellColumn) + ',' + std::to_string(cellRow);
  ++uses_;
  for (KeptCell& cell : cells_) {
    if (cell.key == key) {
      cell.lastUse = uses_;
      return cell.image;
    }
  }
  if (cells_.size() >= kMaxKeptCells) {
    std::size_t oldest = 0;
    for (std::size_t i = 1; i < cells_.size(); ++i)
      if (cells_[i].lastUse < cells_[oldest].lastUse) oldest = i;
    cells_.erase(cells_.begin() + static_cast<std::ptrdiff_t>(oldest));
  }
  KeptCell cell;
  cell.key = std::move(key);
  cell.lastUse = uses_;
  createImage(cell.image, 0, 0, cellWidth, cellHeight, 8);
  if (loadBitmapFile(bitmapFile, file) == 1) {
    loadImage(cell.image, bitmapFile, cellColumn, cellRow, IMAGE_CELL_MODE);
    unloadBitmapFile(bitmapFile);
  }
  cells_.push_back(std::move(cell));
  return cells_.back().image;
}

void EngineCanvas::drawSheetCell(const char* file, int cellWidth, int cellHeight, int cellColumn, int cellRow,
                                 int x, int y) {
  BitmapImage& image = cellImage(file, cellWidth, cellHeight, cellColumn, cellRow);
  image.x = x;
  image.y = y;
  lockBackBuffer();
  drawImage(image, backBufferMemory, backBufferPitch, IMAGE_TRANSPARENT);
  unlockBackBuffer();
}

void EngineCanvas::drawSprite(Sprite& sprite) {
  varnholt::drawSprite(sprite, backBuffer);
}

int EngineCanvas::screenHeight() const {
  return varnholt::screenHeight;
}

}  // namespace varnholt
