// Character: derived statistics with their int and double truncations, equipment slot roles, level-up at
// the old level, and copies.

#include "data/character.h"

#include <gtest/gtest.h>

#include <string>

#include "data/game_database.h"
#include "fixture_copy.h"

namespace varnholt {
namespace {

// Race 1 (hp 1.5, sp 1.0) and class 1 (hp 2.0, sp 0.5) of the "derived" fixture; item 0 is empty, item 5
// a plate (def 5, mdef 2, flee 1, elementResist[0] 0.25), item 6 a blade (atk 7, matk 1, aspd 1, hit 2,
// elementPower[1] 0.5).
Character squire(int dexterity, int agility) {
  Character c;
  c.id = c.raceId = c.classId = c.level = 1;
  c.vitality = 10;
  c.intelligence = 4;
  c.dexterity = dexterity;
  c.agility = agility;
  return c;
}

class CharacterDerived : public ::testing::Test {
 protected:
  void SetUp() override { test::useFixture(database, "derived"); }
  GameDatabase database;
};

TEST_F(CharacterDerived, MaximaAndSpeed) {
  Character c = squire(5, 4);
  c.ap = -45;
  c.computeDerived(database);
  EXPECT_EQ(c.maxHp, 65);  // trunc(2.0 x (1.5 x 20) + 5)
  EXPECT_EQ(c.maxSp, 4);   // trunc(0.5 x (1.0 x 8))
  EXPECT_EQ(c.hp, 65);
  EXPECT_EQ(c.ap, 0);
  EXPECT_EQ(c.moveRange, 5);
  Character slow = squire(3, 3);
  slow.computeDerived(database);
  EXPECT_EQ(slow.aspd, 2);  // trunc(0.75 + 1.5)
}

TEST_F(CharacterDerived, EquipmentSlotsAddOrSubtract) {
  struct Case {
    int slot, item, atk, def, mdef, flee;
    double resist0;
  };
  const Case cases[] = {
      {2, 5, 0, 15, 2, 5, 0.25}, {3, 5, 0, 5, -2, 5, -0.25}, {4, 5, 0, 5, -2, 5, -0.25},
      {0, 5, 0, 10, 0, 4, 0.0},  {0, 6, 7, 10, 0, 4, 0.0},   {5, 6, 7, 10, 0, 4, 0.0},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(testing::Message() << "slot " << k.slot << " item " << k.item);
    Character c = squire(5, 3);
    c.equipment[k.slot] = k.item;
    c.computeDerived(database);
    EXPECT_EQ(c.atk, k.atk);
    EXPECT_EQ(c.def, k.def);
    EXPECT_EQ(c.mdef, k.mdef);
    EXPECT_EQ(c.flee, k.flee);
    EXPECT_DOUBLE_EQ(c.elementResist[0], k.resist0);
    EXPECT_DOUBLE_EQ(c.elementPower[1], k.atk ? 0.5 : 0.0);
    EXPECT_EQ(c.aspd, k.atk ? 3 : 2);  // trunc(1.25 + 1.5 + blade 1)
  }
}

TEST(CharacterLookups, SecondDerivationReadsNoFile) {
  test::FixtureCopy files("derived");
  GameDatabase database;
  database.baseDirectory = files.path();
  Character c = squire(5, 3);
  c.equipment[2] = 5;
  c.computeDerived(database);
  for (const char* file : {"itemdb.txt", "racedb.txt", "classdb.txt"}) files.remove(file);
  Character again = squire(5, 3);
  again.equipment[2] = 5;
  again.computeDerived(database);
  EXPECT_EQ(again.maxHp, 65);
  EXPECT_EQ(again.def, 15);
}

// Each of the 108 item values is a lookup of its own, in formula order: the six items enter the cache in
// the order 0, 1, 4, 5 (Atk) then 2, 3 (Def), and each ends up aged by every later lookup of another item.
// Slots 0 and 1 are read 14 times, 2 and 3 13 times, 4 and 5 27 times.
TEST(CharacterLookups, EveryItemValueIsALookupOfItsOwnInFormulaOrder) {
  test::FixtureCopy files("derived");
  std::string items;
  for (int id = 11; id <= 16; ++id) {
    items +=
        "*" + std::to_string(id) + " Gear 1 1 1 1 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 1 1 1 1\n";
  }
  files.write("itemdb.txt", items);
  GameDatabase database;
  database.baseDirectory = files.path();
  Character c = squire(5, 3);
  for (int slot = 0; slot < 6; ++slot) c.equipment[slot] = 11 + slot;
  c.computeDerived(database);

  struct Entry {
    int id, age;
  };
  // Age = 108 - lookups made before the item entered - the item's own lookups.
  const Entry expected[] = {{11, 108 - 0 - 14}, {12, 108 - 1 - 14}, {15, 108 - 2 - 27},
                            {16, 108 - 3 - 27}, {13, 108 - 8 - 13}, {14, 108 - 9 - 13}};
  ASSERT_EQ(database.itemCache.count(), 6);
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(database.itemCache.at(i).id, expected[i].id) << i;
    EXPECT_EQ(database.itemCache.ageAt(i), expected[i].age) << i;
  }
  EXPECT_EQ(c.atk, 0 + 4);
  EXPECT_EQ(c.def, 10 + 1 - 3);
  EXPECT_EQ(c.flee, 3 + 1 + 4);
}

TEST_F(CharacterDerived, LevelUpDerivesAtTheOldLevel) {
  Character c = squire(5, 3);
  c.levelUp(database);
  EXPECT_EQ(c.level, 2);
  EXPECT_EQ(c.dexterity, 5 + 3 + 30);
  EXPECT_EQ(c.mind, 0 + 6 + 60);
  EXPECT_EQ(c.hit, 38 + 1);
  EXPECT_EQ(c.maxHp, 230);  // trunc(2.0 x (1.5 x (2 x 1 x 32)) + 38): vitality 32 at level 1
  c.computeDerived(database);
  EXPECT_EQ(c.hit, 38 + 2);
}

TEST(CharacterValue, CopyReplacesTheSkillListAndEqualityIsById) {
  Character three;
  three.id = 3;
  for (int skill : {4, 5, 6}) three.skills.add(skill);
  Character five;
  for (int skill : {1, 2, 3, 4, 5}) five.skills.add(skill);
  five = three;
  ASSERT_EQ(five.skills.count(), 3);
  EXPECT_EQ(five.skills.at(0), 4);
  EXPECT_EQ(five.skills.at(3), 0);
  Character other = three;
  other.hp = 99;
  EXPECT_EQ(other, three);
  other.id = 4;
  EXPECT_NE(other, three);
}

}  // namespace
}  // namespace varnholt
