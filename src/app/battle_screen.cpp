// The battle screen: the command bar, the battle's step, the keys (grid cursor, command bar, skill
// list), the command overlays, the battle's own drawing and the status panel under the grid cursor.
#include "app/game.h"
#include "app/screen_rules.h"
#include "engine/engine.h"

namespace varnholt::app {
namespace {

constexpr int kButtonY = 500;
constexpr int kStatusPanelX = 400;
constexpr int kStatusPanelY = 200;

}  // namespace

void Game::drawCommandBar() {
  // One load serves the four buttons: each is a cell of the same picture, so the screen shows the same
  // pixels as loading it once per button.
  if (loadBitmapFile(bitmapFile, pictures::buttons::kFile)) {
    setPalette(bitmapFile.palette);
    for (int i = 0; i < pictures::buttons::kCount; ++i)
      drawPictureCell(bitmapFile, pictures::buttons::cell(i), 100 * i, kButtonY);
    unloadBitmapFile(bitmapFile);
  }
  destroyImage(flow_.scratchImage);
}

int Game::battleScreen() {
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
    return 1;
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
  return 1;
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
