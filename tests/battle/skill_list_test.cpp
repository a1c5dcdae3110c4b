// The skill highlight on its own, with nothing drawn: the line under the cursor, the target cells it
// refills, the skill it takes on request and the request it always clears.

#include <gtest/gtest.h>

#include "battle_fixture.h"

namespace varnholt::testing {
namespace {

class SkillList : public BattleTest {
 protected:
  SkillList() {
    add(1, 5, 5, 1);  // skills 1, 2 and 3
    actAs(1);
    presentation.calls.clear();
  }
};

TEST_F(SkillList, TheLineUnderTheCursorRefillsTheTargetCellsAndIsTakenOnlyOnRequest) {
  const GridPos stale{9, 9};
  struct Case {
    float cursorY;
    SkillPick request;
    int highlighted;  // the line, from 1; 0 none
    int selected;
  };
  const Case cases[] = {{390, SkillPick::None, 1, 99},
                        {405, SkillPick::TakeHighlighted, 2, 2},
                        {400, SkillPick::TakeHighlighted, 0, 99},
                        {420, SkillPick::TakeHighlighted, 3, 3}};
  for (const Case& c : cases) {
    battle.targetCells.clear();
    battle.targetCells.add(stale);
    flow.selectedSkill = 99;
    flow.skillPickRequest = c.request;
    flow.setCursor(kSkillListX - kSkillCursorOffsetX, c.cursorY, 2);

    const varnholt::SkillList list = battle.highlightSkill();

    ASSERT_EQ(list.count, 3);
    EXPECT_EQ(list.lines[1].skill.id, 2);
    EXPECT_EQ(std::make_pair(list.lines[2].x, list.lines[2].y), std::make_pair(kSkillListX, 430));
    EXPECT_EQ(list.highlighted, c.highlighted ? std::optional<int>(c.highlighted - 1) : std::nullopt)
        << c.cursorY;
    EXPECT_EQ(flow.selectedSkill, c.selected) << c.cursorY;
    EXPECT_EQ(flow.skillPickRequest, SkillPick::None) << c.cursorY;
    CellSet expected;
    if (c.highlighted) {
      fillCellsInRange(expected, battle.map, 5, 5, database.getSkill(c.highlighted).range);
    } else {
      expected.add(stale);
    }
    EXPECT_EQ(cellsOf(battle.targetCells), cellsOf(expected)) << c.cursorY;
  }
  EXPECT_TRUE(presentation.calls.empty()) << "the highlight draws nothing";
  EXPECT_EQ(random.drawCount(), 0u);
}

}  // namespace
}  // namespace varnholt::testing
