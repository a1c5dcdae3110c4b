// Battle definitions: a battle's map and combatants read from the battle file, and what is skipped.

#include "battle/battle_definition.h"
#include "battle_fixture.h"

namespace varnholt::testing {
namespace {

using BattleDefinitions = BattleTest;

TEST_F(BattleDefinitions, ABattleAddsItsCombatantsInFileOrderToThoseAlreadyThere) {
  add(1, 1, 1, 1);
  loadBattle(battle, 1);  // map 2, (20, 12, 3, 2) and (21, 12, 5, 2)
  EXPECT_EQ(battle.map.id, 2);
  EXPECT_EQ(order(), (std::vector<int>{1, 20, 21}));
  EXPECT_EQ(std::vector<int>({unit(20).column, unit(20).row, unit(21).column, unit(21).row, unit(21).side}),
            std::vector<int>({12, 3, 12, 5, 2}));
  EXPECT_EQ(battle.map.occupancy[12][5], 21);
  EXPECT_EQ(unit(21).hp, 22);  // derived on entry
  EXPECT_EQ(unit(21).spriteSlot, 2);
  EXPECT_EQ(std::make_pair(battle.unitSprites[2].x, battle.unitSprites[2].y), std::make_pair(426.0f, 248.0f));
}

TEST_F(BattleDefinitions, AMissingBattleOrFileGivesAnEmptyBattleOnAnEmptyMap) {
  for (const char* folder : {"fixtures", "no-such-folder"}) {
    database.baseDirectory = folder;
    battle.map.occupancy[3][3] = 99;
    loadBattle(battle, 42);
    EXPECT_EQ(battle.units.count() + battle.map.columns + battle.map.rows + battle.map.occupancy[3][3], 0);
  }
}

TEST_F(BattleDefinitions, OnlyTwelveEntriesAndThirteenCombatantsFit) {
  loadBattle(battle, 3);  // fourteen entries
  ASSERT_EQ(battle.units.count(), kMaxBattleEntries);
  add(1, 1, 1, 1);
  EXPECT_FALSE(battle.addCombatant(database.getCharacter(2), 2, 2, 1));
  EXPECT_EQ(battle.spriteCount, kUnitSpriteSlots);
  battle.units.clear();
  battle.spriteCount = 0;
  for (GridPos cell : {GridPos{26, 1}, GridPos{0, 5}, GridPos{3, -1}})
    EXPECT_FALSE(battle.addCombatant(database.getCharacter(2), cell.column, cell.row, 1));
  EXPECT_FALSE(battle.cellIsFree(26, 26));
  EXPECT_EQ(battle.combatantAt(-4, 99).id, 0);
}

TEST_F(BattleDefinitions, CellsOffTheMapOrTakenAndMissingCharactersAreSkipped) {
  loadBattle(battle, 4);  // map 3 is 3 x 2: (4, 1) is off it, (1, 1) is taken by the entry before
  EXPECT_EQ(order(), (std::vector<int>{21, 23}));
  battle.units.clear();
  battle.spriteCount = 0;
  loadBattle(battle, 5);  // character 99 is not in the character file
  EXPECT_EQ(order(), (std::vector<int>{20, 21}));
}

}  // namespace
}  // namespace varnholt::testing
