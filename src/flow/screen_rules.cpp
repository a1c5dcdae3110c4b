// The screens' cursor rules and the party placement.
#include "flow/screen_rules.h"

#include <algorithm>

namespace varnholt {

float titleCursorUp(float y) {
  return std::max(y - 50, kTitleBeginY);
}
float titleCursorDown(float y) {
  return std::min(y + 50, kTitleIntroY);
}

float selectionCursorLeft(float x) {
  return std::max(x - kPortraitStep, kSelectionCursorX0);
}
float selectionCursorRight(float x) {
  return std::min(x + kPortraitStep, kSelectionCursorLastX);
}

std::optional<int> rosterIndexAtCursor(float x, int rosterCount) {
  for (int k = 0; k < kSelectionSlots && k < rosterCount; ++k) {
    if (x == kSelectionCursorX0 + static_cast<float>(kPortraitStep * k)) return k;
  }
  return std::nullopt;
}

bool isPlacementCell(const MapRecord& map, int column, int row) {
  return column <= map.columns && row <= map.rows && map.occupancy[column][row] == 0;
}

std::optional<GridPos> placePartyMember(const MapRecord& map, RandomGenerator& random) {
  auto usable = [&](int column, int row) { return isPlacementCell(map, column, row); };
  bool anyFree = false;
  for (int column = 1; column <= kGridCells && !anyFree; ++column) {
    for (int row = 1; row <= kGridCells && !anyFree; ++row) anyFree = usable(column, row);
  }
  if (!anyFree) return std::nullopt;
  while (true) {
    int column = random.next() % kGridCells + 1;
    int row = random.next() % kGridCells + 1;
    if (usable(column, row)) return GridPos{column, row};
  }
}

void battleArrow(GameFlowState& flow, ArrowKey key) {
  float x = flow.cursorX();
  float y = flow.cursorY();
  const float cell = kCellPixels;
  switch (flow.cursorMode) {
    case CursorMode::Grid:
      switch (key) {
        case ArrowKey::Right:
          x += cell;
          ++flow.gridColumn;
          break;
        case ArrowKey::Left:
          x -= cell;
          --flow.gridColumn;
          break;
        case ArrowKey::Up:
          y -= cell;
          --flow.gridRow;
          break;
        case ArrowKey::Down:
          y += cell;
          ++flow.gridRow;
          break;
      }
      break;
    case CursorMode::CommandBar:
      x += (key == ArrowKey::Right || key == ArrowKey::Up) ? kCommandBarStep : -kCommandBarStep;
      break;
    case CursorMode::SkillList:
      y += (key == ArrowKey::Right || key == ArrowKey::Down) ? kSkillCursorStep : -kSkillCursorStep;
      break;
    default:
      return;
  }
  flow.setCursor(x, y, flow.cursorFrame());
}

void clampBattleCursor(GameFlowState& flow) {
  float x = flow.cursorX();
  float y = flow.cursorY();
  const float cell = kCellPixels;
  switch (flow.cursorMode) {
    case CursorMode::Grid:
      if (flow.gridColumn > kGridCells) {
        x -= cell;
        flow.gridColumn = kGridCells;
      }
      if (flow.gridRow > kGridCells) {
        y -= cell;
        flow.gridRow = kGridCells;
      }
      if (flow.gridColumn < 1) {
        x += cell;
        flow.gridColumn = 1;
      }
      if (flow.gridRow < 1) {
        y += cell;
        flow.gridRow = 1;
      }
      break;
    case CursorMode::CommandBar:
      if (x > kCommandBarLastX) x = kCommandBarLastX;
      if (x < 0) x = 0;
      break;
    case CursorMode::SkillList:
      if (y > kSkillCursorBottom) y = kSkillCursorBottom;
      if (y < 385) y = kSkillCursorTop;
      break;
    default:
      return;
  }
  flow.setCursor(x, y, flow.cursorFrame());
}

void openCommandBar(GameFlowState& flow) {
  flow.cursorMode = CursorMode::CommandBar;
  flow.battleCommand = BattleCommand::None;
  flow.cursorToCommandBar();
}

}  // namespace varnholt
