// The skill list of the acting combatant, with the highlighted skill's range and description.

#include "battle_view/battle_view.h"

namespace varnholt {

void BattleView::drawSkillList(const Battle& battle, const SkillList& list) {
  for (int i = 0; i < list.count; ++i) {
    const SkillLine& line = list.lines[static_cast<std::size_t>(i)];
    canvas_.drawText(line.skill.name, line.x, line.y);
    if (list.highlighted == i) {
      drawTargetCells(battle);
      canvas_.drawText(line.skill.description, kSkillListX, kSkillDescriptionY);
    }
  }
}

}  // namespace varnholt
