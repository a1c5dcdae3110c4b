// Battle definitions: a battle's map and combatants read from the battle file, and what is skipped.

#include "battle/battle_definition.h"
#include "battle_fixture.h"

namespace varnholt::testing {
namespace {

using BattleDefinitions = BattleTest;

TEST_F(BattleDefinitions, ABattleLoadsItsMapAndItsCombatantsInFileOrder) {
  loadBattle(battle, 1);
  EXPECT_EQ(battle.map.id, 2);
  EXPECT_EQ(battle.map.columns, 12);
  EXPECT_EQ(order(), (std::vector<int>{20, 21}));
  const Character first = unit(20);
  const Character second = unit(21);
  EXPECT_EQ(first.column, 12);
  EXPECT_EQ(first.row, 3);
  EXPECT_EQ(second.column, 12);
  EXPECT_EQ(second.row, 5);
  EXPECT_EQ(first.side, 2);
  EXPECT_EQ(second.side, 2);
  EXPECT_EQ(battle.map.occupancy[12][3], 20);
  EXPECT_EQ(battle.map.occupancy[12][5], 21);
  EXPECT_EQ(first.hp, 22);  // derived on entry
}

TEST_F(BattleDefinitions, LoadingKeepsTheCombatantsAlreadyThere) {
  useMap();
  add(1, 1, 1, 1);
  loadBattle(battle, 1);
  EXPECT_EQ(order(), (std::vector<int>{1, 20, 21}));
}

TEST_F(BattleDefinitions, AMissingBattleOrFileGivesAnEmptyBattleOnAnEmptyMap) {
  for (const char* folder : {"fixtures", "no-such-folder"}) {
    database.baseDirectory = folder;
    useMap();
    battle.map.occupancy[3][3] = 99;
    loadBattle(battle, 42);
    EXPECT_EQ(battle.units.count(), 0) << folder;
    EXPECT_EQ(battle.map.columns, 0) << folder;
    EXPECT_EQ(battle.map.rows, 0) << folder;
    EXPECT_EQ(battle.map.occupancy[3][3], 0) << folder;
  }
}

TEST_F(BattleDefinitions, EntriesBeyondTwelveAreIgnoredAndThirteenCombatantsAreTheLimit) {
  loadBattle(battle, 3);
  ASSERT_EQ(battle.units.count(), kMaxBattleEntries);
  EXPECT_EQ(order().back(), 31);
  add(1, 1, 1, 1);
  EXPECT_FALSE(battle.addCombatant(database.getCharacter(2), 2, 2, 1));
  EXPECT_EQ(battle.units.count(), kUnitSpriteSlots);
  EXPECT_EQ(battle.spriteCount, kUnitSpriteSlots);
}

TEST_F(BattleDefinitions, CellsOffTheMapOrTakenAndMissingCharactersAreSkipped) {
  loadBattle(battle, 4);  // map 3 has 3 columns and 2 rows
  EXPECT_EQ(order(), (std::vector<int>{21, 23}));
  EXPECT_EQ(battle.map.occupancy[1][1], 21);
  EXPECT_EQ(battle.map.occupancy[4][1], 0);
  battle.units.clear();
  battle.spriteCount = 0;
  loadBattle(battle, 5);  // character 99 is not in the character file
  EXPECT_EQ(order(), (std::vector<int>{20, 21}));
  EXPECT_EQ(battle.map.occupancy[2][2], 0);
}

TEST(BattleDefinitionFile, ReadsTheEntriesUpToTheTerminatingZero) {
  GameDatabase database;
  database.baseDirectory = "fixtures";
  const BattleDefinition definition = readBattleDefinition(database, 4);
  ASSERT_TRUE(definition.found);
  EXPECT_EQ(definition.mapId, 3);
  ASSERT_EQ(definition.entries.size(), 4u);
  EXPECT_EQ(definition.entries[0].characterId, 20);
  EXPECT_EQ(definition.entries[0].column, 4);
  EXPECT_EQ(definition.entries[3].side, 2);
  EXPECT_FALSE(readBattleDefinition(database, 6).found);
  // The battle file was closed: the next lookup reads its own file.
  EXPECT_EQ(database.getCharacter(20).id, 20);
}

}  // namespace
}  // namespace varnholt::testing
