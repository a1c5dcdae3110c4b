#pragma once
// Where the battle grid lies on the screen, in one place for the rules, the view, the screens, the
// picture generator and the content checker. Cells are 1-based: cell (column, row) is the box of
// kCellPixels x kCellPixels whose top-left pixel is (cellBoxLeft(column), cellBoxTop(row)). A unit
// sprite (56 x 56) and a cell marker or grid cursor (56 x 40) are drawn at fixed offsets from that box.

namespace varnholt {

// Side of a grid cell in pixels.
inline constexpr int kCellPixels = 38;

// A map has at most this many columns and rows: its layers are indexed 1 to kMaxMapSide (index 0 is
// never a cell).
inline constexpr int kMapLayerSize = 26;
inline constexpr int kMaxMapSide = kMapLayerSize - 1;

// Columns and rows the grid cursor moves on (1 to kGridCells each); the battlefield picture draws this
// many, and a party member is placed among them.
inline constexpr int kGridCells = 10;

// Where the marker of a cell is drawn, and the grid cursor on that cell.
constexpr int markerPixelX(int column) {
  return kCellPixels * (column - 1) + 5;
}
constexpr int markerPixelY(int row) {
  return kCellPixels * (row - 1) + 105;
}

// The top-left pixel of the box of cell (column, row): 10 pixels into the 56-pixel-wide marker.
constexpr int cellBoxLeft(int column) {
  return markerPixelX(column) + 10;
}
constexpr int cellBoxTop(int row) {
  return markerPixelY(row);
}

// Where the unit standing on a cell is drawn.
constexpr int unitPixelX(int column) {
  return kCellPixels * column - 30;
}
constexpr int unitPixelY(int row) {
  return kCellPixels * row + 58;
}

// The hit-or-miss picture of a blow stands 30 pixels right of the target's unit sprite.
constexpr int hitPixelX(int column) {
  return unitPixelX(column) + 30;
}

}  // namespace varnholt
