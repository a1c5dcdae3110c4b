// The skill list of the acting combatant, with the highlighted skill's range and description.

#include "battle_view/battle_view.h"

namespace varnholt {

namespace {

// The skill list's cursor stands 60 pixels left of and 10 above the line it highlights; the cursor
// position is compared exactly.
bool cursorOnLine(const GameFlowState& flow, int x, int y) {
  return flow.cursorX() == static_cast<float>(x - 60) && flow.cursorY() == static_cast<float>(y - 10);
}

}  // namespace

void BattleView::drawSkillList(Battle& battle) {
  int x = kSkillListX;
  int y = kSkillListTop;
  const IdList skills = battle.acting.skills;
  for (int i = 0; i < skills.count(); ++i) {
    const int skillId = skills.at(i);
    const SkillRecord skill = database_.getSkill(skillId);
    canvas_.drawText(skill.name, x, y);
    if (cursorOnLine(flow_, x, y)) {
      battle.targetCells.clear();
      battle.fillTargetCells(battle.acting.column, battle.acting.row, skill.range);
      drawTargetCells(battle);
      canvas_.drawText(skill.description, kSkillListX, kSkillDescriptionY);
      if (flow_.skillPickRequest == SkillPick::TakeHighlighted) flow_.selectedSkill = skillId;
    }
    y += kSkillLineHeight;
    if (y > kSkillListBottom) {
      y = kSkillListTop;
      x = kSkillListSecondX;
    }
  }
  flow_.skillPickRequest = SkillPick::None;
}

}  // namespace varnholt
