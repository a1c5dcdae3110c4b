// Cell markers: where the acting combatant may move or strike.

#include "battle_view/battle_view.h"
#include "data/campaign_pictures.h"

namespace varnholt {

void BattleView::drawCellMarker(int column, int row) {
  namespace cursors = pictures::cursors;
  constexpr pictures::SheetCell marker = cursors::cell(cursors::kCellMarker);
  canvas_.drawSheetCell(cursors::kFile, marker.width, marker.height, marker.column, marker.row,
                        markerPixelX(column), markerPixelY(row));
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
