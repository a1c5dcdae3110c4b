// The skill highlight: the acting combatant's skill list laid out, and the effects of the line under the
// cursor on the battle's target cells and the selected skill.

#include "battle/battle.h"

namespace varnholt {

// The first column holds 11 lines and the second as many again before places repeat; a character holds
// at most 15 skills, so every line has a place of its own and at most one line is under the cursor.
static_assert(IdList::capacity() <= 22, "skill lines beyond the 22nd would share places");

SkillList Battle::highlightSkill() {
  SkillList list;
  int x = kSkillListX;
  int y = kSkillListTop;
  const IdList skills = acting.skills;
  for (int i = 0; i < skills.count(); ++i) {
    const int skillId = skills.at(i);
    // Each skill is looked up here once, in list order, and the view draws from these copies: the skill
    // cache's ages follow the list and not the drawing.
    SkillLine& line = list.lines[static_cast<std::size_t>(i)];
    line = SkillLine{x, y, database_.getSkill(skillId)};
    list.count = i + 1;
    if (cursorOnSkillLine(flow_.cursorX(), flow_.cursorY(), x, y)) {
      list.highlighted = i;
      targetCells.clear();
      fillTargetCells(acting.column, acting.row, line.skill.range);
      if (flow_.skillPickRequest == SkillPick::TakeHighlighted) flow_.selectedSkill = skillId;
    }
    y += kSkillLineHeight;
    if (y > kSkillListBottom) {
      y = kSkillListTop;
      x = kSkillListSecondX;
    }
  }
  flow_.skillPickRequest = SkillPick::None;
  return list;
}

}  // namespace varnholt
