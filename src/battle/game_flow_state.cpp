// The shared game-flow state's start values and its small helpers.

#include "battle/game_flow_state.h"

#include <cstring>
#include <ostream>

namespace varnholt {

std::ostream& operator<<(std::ostream& out, Screen value) {
  return out << toNumber(value);
}
std::ostream& operator<<(std::ostream& out, CursorMode value) {
  return out << toNumber(value);
}
std::ostream& operator<<(std::ostream& out, BattleCommand value) {
  return out << toNumber(value);
}
std::ostream& operator<<(std::ostream& out, SkillPick value) {
  return out << toNumber(value);
}

GameFlowState::GameFlowState() {
  reset();
}

void GameFlowState::reset() {
  screenState = Screen::Title;
  cursorMode = CursorMode::Grid;
  battleCommand = BattleCommand::None;
  skillPickRequest = SkillPick::None;
  selectedSkill = 0;
  gridColumn = 1;
  gridRow = 1;
  moveTargetX = 0;
  moveTargetY = 0;
  partyCount = 0;
  std::memset(messageText, 0, sizeof messageText);
  roster = Roster{};
  backgroundImage = BitmapImage{};
  scratchImage = BitmapImage{};
  cursorSprite = Sprite{};
  setCursor(150, 100, 2);
}

void GameFlowState::setMessage(const char* text) {
  std::strncpy(messageText, text ? text : "", kMessageCapacity - 1);
  messageText[kMessageCapacity - 1] = '\0';
}

void GameFlowState::setCursor(float x, float y, int frame) {
  cursorSprite.x = x;
  cursorSprite.y = y;
  cursorSprite.currentFrame = frame;
}

float GameFlowState::cursorX() const {
  return cursorSprite.x;
}
float GameFlowState::cursorY() const {
  return cursorSprite.y;
}
int GameFlowState::cursorFrame() const {
  return cursorSprite.currentFrame;
}

}  // namespace varnholt
