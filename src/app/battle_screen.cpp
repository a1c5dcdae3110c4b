// The battle screen: the command bar, the battle's step, the keys (grid cursor, command bar, skill
// list), the command overlays, the battle's own drawing and the status panel under the grid cursor.
#include <cstring>
#include <utility>

#include "app/game.h"
#include "engine/engine.h"
#include "flow/screen_rules.h"

namespace varnholt::app {
namespace {

constexpr int kButtonY = 500;
constexpr int kStatusPanelX = 400;
constexpr int kStatusPanelY = 200;

}  // namespace

void Game::drawCommandBar() {
  // The buttons are cells of one picture. It is loaded until a load succeeds; from then on the kept
  // cells are drawn, and the loading station is left as that load leaves it (its headers, and the
  // palette an 8-bit file brings), so the display palette and later loads see what they always saw.
  CommandBar& bar = commandBar_;
  if (!bar.loaded) {
    if (!loadBitmapFile(bitmapFile, pictures::buttons::kFile)) {
      destroyImage(flow_.scratchImage);
      return;
    }
    for (int i = 0; i < pictures::buttons::kCount; ++i) {
      const pictures::SheetCell& cell = pictures::buttons::cell(i);
      BitmapImage& button = bar.buttons[static_cast<std::size_t>(i)];
      createImage(button, 100 * i, kButtonY, cell.width, cell.height, 8);
      loadImage(button, bitmapFile, cell.column, cell.row, IMAGE_CELL_MODE);
    }
    bar.fileHeader = bitmapFile.fileHeader;
    bar.infoHeader = bitmapFile.infoHeader;
    std::memcpy(bar.palette, bitmapFile.palette, sizeof bar.palette);
    unloadBitmapFile(bitmapFile);
    bar.loaded = true;
  } else {
    bitmapFile.fileHeader = bar.fileHeader;
    bitmapFile.infoHeader = bar.infoHeader;
    if (bar.infoHeader.biBitCount == 8) std::memcpy(bitmapFile.palette, bar.palette, sizeof bar.palette);
    unloadBitmapFile(bitmapFile);
  }
  setPalette(bitmapFile.palette);
  std::uint8_t* memory = lockBackBuffer();
  for (const BitmapImage& button : bar.buttons) drawImage(button, memory, backBufferPitch, IMAGE_TRANSPARENT);
  unlockBackBuffer();
  destroyImage(flow_.scratchImage);
}

Screen Game::battleScreen() {
  drawCommandBar();
  readKeyboard();
  battle_.step();
  waitClock(10);

  if (keyDown(platform::DIK_RIGHT)) {
    battleArrow(flow_, ArrowKey::Right);
    waitClock(50);
  } else if (keyDown(platform::DIK_LEFT)) {
    battleArrow(flow_, ArrowKey::Left);
    waitClock(50);
  } else if (keyDown(platform::DIK_UP)) {
    battleArrow(flow_, ArrowKey::Up);
    waitClock(50);
  } else if (keyDown(platform::DIK_DOWN)) {
    battleArrow(flow_, ArrowKey::Down);
    waitClock(50);
  } else if (keyDown(platform::DIK_BACK)) {
    // The frame ends here, not presented: the next frame draws the command bar's state.
    openCommandBar(flow_);
    return std::exchange(afterBattleFrame_, Screen::Battle);
  } else if (keyDown(platform::DIK_RETURN)) {
    battleEnter();
    waitClock(175);
  }

  clampBattleCursor(flow_);
  switch (flow_.battleCommand) {
    case BattleCommand::Move:
      view_.drawMoveCells(battle_);
      flow_.cursorMode = CursorMode::Grid;
      break;
    case BattleCommand::Attack:
      view_.drawTargetCells(battle_);
      flow_.cursorMode = CursorMode::Grid;
      break;
    case BattleCommand::Skill: {
      const SkillList skills = battle_.highlightSkill();
      view_.drawSkillList(battle_, skills);
      view_.drawTargetCells(battle_);
      break;
    }
    default:
      break;
  }
  battle_.drawOverlay();
  const Character underCursor = battle_.combatantAt(flow_.gridColumn, flow_.gridRow);
  if (underCursor.id != 0) view_.drawStatusPanel(underCursor, kStatusPanelX, kStatusPanelY);
  flipDisplay();
  return std::exchange(afterBattleFrame_, Screen::Battle);
}

void Game::battleEnter() {
  switch (flow_.cursorMode) {
    case CursorMode::Grid:
      switch (flow_.battleCommand) {
        case BattleCommand::Move:
          battle_.moveActing(flow_.gridColumn, flow_.gridRow);
          flow_.moveTargetX = unitPixelX(flow_.gridColumn);
          flow_.moveTargetY = unitPixelY(flow_.gridRow);
          break;
        case BattleCommand::Attack:
          battle_.attack(flow_.gridColumn, flow_.gridRow);
          break;
        case BattleCommand::Skill:
          battle_.useSkill(flow_.gridColumn, flow_.gridRow, flow_.selectedSkill);
          break;
        default:
          break;
      }
      break;
    case CursorMode::CommandBar: {
      const float x = flow_.cursorX();
      if (x == 0) {
        flow_.battleCommand = BattleCommand::Attack;
      } else if (x == 100) {
        flow_.battleCommand = BattleCommand::Move;
      } else if (x == 200) {
        battle_.endTurn();
      } else if (x == 300) {
        flow_.battleCommand = BattleCommand::Skill;
        flow_.cursorMode = CursorMode::SkillList;
        flow_.setCursor(kSkillCursorX, kSkillCursorTop, 2);
      }
      break;
    }
    case CursorMode::SkillList: {
      flow_.skillPickRequest = SkillPick::TakeHighlighted;
      const SkillList skills = battle_.highlightSkill();
      view_.drawSkillList(battle_, skills);
      flow_.cursorMode = CursorMode::Grid;
      break;
    }
    default:
      break;
  }
}

}  // namespace varnholt::app
