// Cell markers: where the acting combatant may move or strike.

#include "battle_view/battle_view.h"

namespace varnholt {

namespace {

constexpr const char* kMarkerSheet = "cur.bmp";
constexpr int kMarkerWidth = 56;
constexpr int kMarkerHeight = 40;
constexpr int kMarkerCell = 2;

}  // namespace

void BattleView::drawCellMarker(int column, int row) {
  canvas_.drawSheetCell(kMarkerSheet, kMarkerWidth, kMarkerHeight, kMarkerCell, 0, markerPixelX(column),
                        markerPixelY(row));
}

void BattleView::drawMoveCells(const Battle& battle) {
  for (int i = 0; i < battle.moveCells.count(); ++i) {
    const GridPos cell = battle.moveCells.at(i);
    drawCellMarker(cell.column, cell.row);
  }
}

void BattleView::drawTargetCells(const Battle& battle) {
  for (int i = 0; i < battle.targetCells.count(); ++i) {
    const GridPos cell = battle.targetCells.at(i);
    drawCellMarker(cell.column, cell.row);
  }
}

}  // namespace varnholt
