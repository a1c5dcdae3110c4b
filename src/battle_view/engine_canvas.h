#pragma once
// The battle view's canvas on the engine: text through the engine's text output, sheet cells copied out
// of their pictures once and kept, sprites blitted onto the back buffer.

#include <string>
#include <vector>

#include "battle_view/battle_canvas.h"
#include "engine/bitmap.h"

namespace varnholt {

class EngineCanvas final : public BattleCanvas {
 public:
  // At most this many sheet cells are kept; the least recently drawn one makes room.
  static constexpr std::size_t kMaxKeptCells = 64;

  void drawText(const char* text, int x, int y) override;
  void drawTextIndexed(const char* text, int x, int y, int colorIndex) override;
  void drawSheetCell(const char* file, int cellWidth, int cellHeight, int cellColumn, int cellRow, int x,
                     int y) override;
  void drawSprite(Sprite& sprite) override;
  int screenHeight() const override;

  // Forgets the kept cells, so the next drawing reads the pictures again.
  void forgetCells() { cells_.clear(); }
  std::size_t keptCells() const { return cells_.size(); }

 private:
  struct KeptCell {
    std::string key;
    BitmapImage image;
    unsigned long lastUse = 0;
  };
  BitmapImage& cellImage(const char* file, int cellWidth, int cellHeight, int cellColumn, int cellRow);

  std::vector<KeptCell> cells_;
  unsigned long uses_ = 0;
};

}  // namespace varnholt
