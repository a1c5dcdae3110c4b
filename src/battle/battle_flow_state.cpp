// The battle's flow state: start values and its small helpers.

#include "battle/battle_flow_state.h"

#include <cstring>
#include <ostream>

namespace varnholt {

std::ostream& operator<<(std::ostream& out, CursorMode value) {
  return out << toNumber(value);
}
std::ostream& operator<<(std::ostream& out, BattleCommand value) {
  return out << toNumber(value);
}
std::ostream& operator<<(std::ostream& out, SkillPick value) {
  return out << toNumber(value);
}

BattleFlowState::BattleFlowState() {
  reset();
}

void BattleFlowState::reset() {
  cursorMode = CursorMode::Grid;
  battleCommand = BattleCommand::None;
  skillPickRequest = SkillPick::None;
  selectedSkill = 0;
  gridColumn = 1;
  gridRow = 1;
  moveTargetX = 0;
  moveTargetY = 0;
  std::memset(messageText, 0, sizeof messageText);
  roster = Roster{};
  cursorSprite = Sprite{};
  setCursor(150, 100, 2);
}

void BattleFlowState::setMessage(const char* text) {
  std::strncpy(messageText, text ? text : "", kMessageCapacity - 1);
  messageText[kMessageCapacity - 1] = '\0';
}

void BattleFlowState::setCursor(float x, float y, int frame) {
  cursorSprite.x = x;
  cursorSprite.y = y;
  cursorSprite.currentFrame = frame;
}

float BattleFlowState::cursorX() const {
  return cursorSprite.x;
}
float BattleFlowState::cursorY() const {
  return cursorSprite.y;
}
int BattleFlowState::cursorFrame() const {
  return cursorSprite.currentFrame;
}

}  // namespace varnholt
