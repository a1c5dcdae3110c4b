// The auto-player's decisions on hand-made battles: cursor keys, the blow it strikes, where it moves, where
// a party meant to lose stands, and the key scripts it writes.
#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>

#include "app/key_script.h"
#include "autoplay/auto_player.h"
#include "autoplay/campaign_run.h"
#include "autoplay/decisions.h"

namespace varnholt::autoplay {
namespace {

Character fighter(int id, int side, int column, int row, int atk = 20, int def = 5, int hp = 30) {
  Character c;
  c.id = id;
  c.side = side;
  c.column = column;
  c.row = row;
  c.atk = atk;
  c.def = def;
  c.hp = hp;
  c.maxHp = hp;
  c.hit = 10;
  c.flee = 5;
  return c;
}

TEST(CursorKeys, OneStepTowardTheGoalColumnsFirstThenEnter) {
  struct Case {
    int column, row;
    GridPos target;
    KeySet expected;
  };
  const Case cases[] = {
      {1, 1, {3, 3}, app::KEY_RIGHT}, {5, 1, {3, 3}, app::KEY_LEFT},  {3, 1, {3, 3}, app::KEY_DOWN},
      {3, 7, {3, 3}, app::KEY_UP},    {3, 3, {3, 3}, app::KEY_ENTER},
  };
  for (const Case& c : cases)
    EXPECT_EQ(gridKeyToward(c.column, c.row, c.target), c.expected) << c.column << "," << c.row;

  EXPECT_EQ(commandBarKeyToward(0, kEndTurnButtonX), app::KEY_RIGHT);
  EXPECT_EQ(commandBarKeyToward(300, kEndTurnButtonX), app::KEY_LEFT);
  EXPECT_EQ(commandBarKeyToward(100, kMoveButtonX), app::KEY_ENTER);
  // Portrait k stands at x 45 + 50 k.
  EXPECT_EQ(selectionKeyToward(45, 3), app::KEY_RIGHT);
  EXPECT_EQ(selectionKeyToward(395, 3), app::KEY_LEFT);
  EXPECT_EQ(selectionKeyToward(195, 3), app::KEY_ENTER);
}

TEST(BlowChoice, WeighsDamageAndTheChanceToHit) {
  const Character attacker = fighter(1, 1, 5, 5, 20);
  Character target = fighter(11, 2, 6, 5, 0, 5, 30);
  // Hit 10 against flee 5: (10 / 5) x 75 = 150, every roll hits; 15 damage.
  EXPECT_DOUBLE_EQ(blowValue(attacker, target), 15);
  // Flee above hit: only a roll of 0 hits.
  target.flee = 11;
  EXPECT_DOUBLE_EQ(blowValue(attacker, target), 0.15);
  // A blow that would heal, or a target already down, is worth nothing.
  target.flee = 5;
  target.def = 25;
  EXPECT_DOUBLE_EQ(blowValue(attacker, target), 0);
  target.def = 5;
  target.hp = 0;
  EXPECT_DOUBLE_EQ(blowValue(attacker, target), 0);
  // A blow that fells counts the HP it takes twice.
  target.hp = 10;
  EXPECT_DOUBLE_EQ(blowValue(attacker, target), 20);
}

TEST(BlowChoice, StrikesTheBestOpponentInsideTheMarkedCellsOnly) {
  const Character attacker = fighter(1, 1, 5, 5);
  const std::vector<Character> units = {
      attacker,
      fighter(2, 1, 5, 6, 20, 0, 5),     // an ally, weak and near: never struck
      fighter(11, 2, 6, 5, 20, 15, 30),  // 5 damage
      fighter(12, 2, 4, 5, 20, 5, 30),   // 15 damage
      fighter(13, 2, 9, 9, 20, 0, 1),    // would fall, but outside the cells
  };
  const std::vector<GridPos> cells = {{5, 5}, {6, 5}, {4, 5}, {5, 6}, {5, 4}};
  EXPECT_EQ(chooseTarget(attacker, units, cells), (GridPos{4, 5}));
  EXPECT_EQ(chooseTarget(attacker, units, {{5, 6}, {9, 8}}), std::nullopt);
}

TEST(MoveChoice, StepsIntoReachThenTowardTheNearestAndOtherwiseStays) {
  const Character mover = fighter(1, 1, 2, 2);
  const std::vector<GridPos> moveCells = {{2, 2}, {3, 2}, {4, 2}, {2, 3}, {2, 4}};
  // An opponent at (5, 2): range 1 reaches it from (4, 2) only.
  std::vector<Character> units = {mover, fighter(11, 2, 5, 2)};
  EXPECT_EQ(chooseMoveCell(mover, 1, units, moveCells), (GridPos{4, 2}));
  // With range 3 it is already in reach: no move.
  EXPECT_EQ(chooseMoveCell(mover, 3, units, moveCells), std::nullopt);
  // Out of reach from every cell: the cell nearest to it.
  units[1] = fighter(11, 2, 2, 9);
  EXPECT_EQ(chooseMoveCell(mover, 1, units, moveCells), (GridPos{2, 4}));
  // Only allies left: nothing to go for.
  units[1].side = 1;
  EXPECT_EQ(chooseMoveCell(mover, 1, units, moveCells), std::nullopt);
}

TEST(MoveChoice, ApproachTakesTheNearestGoalAndTheShortestWayThere) {
  const Character mover = fighter(2, 1, 1, 1);
  const std::vector<GridPos> moveCells = {{1, 1}, {2, 1}, {3, 1}, {1, 2}, {1, 3}, {2, 2}};
  // (3, 1), (2, 2) and (1, 3) are all two steps from (3, 3) and from the mover: the first marked wins.
  EXPECT_EQ(chooseApproachCell(mover, {{3, 3}}, moveCells), (GridPos{3, 1}));
  EXPECT_EQ(chooseApproachCell(mover, {{3, 2}}, {{2, 1}, {2, 2}, {1, 2}}), (GridPos{2, 2}));
  // (2, 3) and (1, 2) are both 7 from (1, 9): the one a single step away wins.
  EXPECT_EQ(chooseApproachCell(mover, {{1, 9}}, {{2, 3}, {1, 2}}), (GridPos{1, 2}));
  EXPECT_EQ(chooseApproachCell(mover, {{3, 1}, {9, 9}}, moveCells), (GridPos{3, 1}));
  EXPECT_EQ(chooseApproachCell(mover, {{1, 1}}, moveCells), std::nullopt);
  EXPECT_EQ(chooseApproachCell(mover, {}, moveCells), std::nullopt);
}

TEST(LosingParty, TakesTheCornersOfIdOneOrStandsBesideTheOpponentThatActsNext) {
  const Character anchor = fighter(1, 1, 5, 5);
  const Character member = fighter(3, 1, 1, 1);
  // The opponent that acts next is far from id 1: the member goes for id 1's corners.
  std::vector<Character> units = {fighter(11, 2, 9, 9), anchor, member};
  auto goals = yieldGoals(member, units);
  ASSERT_EQ(goals.size(), 4u);
  for (GridPos g : goals) EXPECT_EQ(cellDistance(g, {5, 5}), 2) << g.column << "," << g.row;
  // id 1 itself walks up beside that opponent.
  goals = yieldGoals(anchor, units);
  EXPECT_EQ(goals, (std::vector<GridPos>{{10, 9}, {8, 9}, {9, 10}, {9, 8}}));
  // Once it stands beside id 1, the member takes the cells it looks at first, never id 1's own.
  units[0] = fighter(11, 2, 5, 4);
  EXPECT_EQ(yieldGoals(member, units), (std::vector<GridPos>{{6, 4}, {4, 4}, {5, 3}}));
  // Without id 1 on the field: beside the opponent first in the list.
  units = {fighter(11, 2, 3, 3), member};
  EXPECT_EQ(yieldGoals(member, units), (std::vector<GridPos>{{4, 3}, {2, 3}, {3, 4}, {3, 2}}));
}

TEST(PartyCandidates, EveryOrderedChoiceOnceStrongestSetFirstStrongestLast) {
  const std::vector<int> preference = {7, 1, 5, 3, 8, 2, 6, 4};
  const auto parties = partyCandidates(preference);
  EXPECT_EQ(parties.size(), 6720u);  // 8 x 7 x 6 x 5 x 4
  EXPECT_EQ(parties.front(), (Party{8, 3, 5, 1, 7}));
  std::vector<Party> sorted = parties;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(std::adjacent_find(sorted.begin(), sorted.end()), sorted.end());
  for (const Party& p : parties)
    for (int id : p) EXPECT_TRUE(id >= 1 && id <= 8);
}

TEST(WrittenScript, ReplaysTheSameKeysFrameByFrameAndRunsAsLong) {
  const std::vector<KeySet> keys = {
      app::KEY_ENTER, 0, app::KEY_RIGHT, app::KEY_RIGHT, app::KEY_ENTER, 0, 0, app::KEY_BACKSPACE, 0, 0, 0};
  const std::string text = formatKeyScript(keys, {"made by a test", "second line"});
  EXPECT_EQ(text.rfind("# made by a test\n# second line\n", 0), 0u);
  std::string error;
  auto script = app::KeyScript::parse(text, error);
  ASSERT_TRUE(script) << error;
  for (std::size_t i = 0; i < keys.size(); ++i)
    EXPECT_EQ(script->frameKeys(static_cast<int>(i) + 1), keys[i]) << "frame " << i + 1;
  // The runner plays one frame past the last named: the length marker names the frame before the last.
  EXPECT_EQ(script->lastFrame() + 1, static_cast<int>(keys.size()));
}

}  // namespace
}  // namespace varnholt::autoplay
