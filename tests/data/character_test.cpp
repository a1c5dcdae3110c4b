// Character: derived statistics with their int and double truncations, equipment slot roles, level-up at
// the old level, and copies.

#include "data/character.h"

#include <gtest/gtest.h>

#include "data/game_database.h"
#include "fixture_copy.h"

namespace varnholt {
namespace {

// A character of race 1 and class 1 of the "derived" fixture, every slot holding the empty item 0.
Character squire(int vitality, int dexterity, int agility) {
  Character c;
  c.id = 1;
  c.raceId = 1;
  c.classId = 1;
  c.level = 1;
  c.vitality = vitality;
  c.dexterity = dexterity;
  c.agility = agility;
  c.intelligence = 4;
  return c;
}

class CharacterDerived : public ::testing::Test {
 protected:
  void SetUp() override { test::useFixture(database, "derived"); }
  GameDatabase database;
};

TEST_F(CharacterDerived, MaximaAndSpeed) {
  Character c = squire(10, 5, 3);
  c.hp = 1;
  c.ap = -45;
  c.side = 2;
  c.computeDerived(database);
  EXPECT_EQ(c.maxHp, 65);  // trunc(2.0 x (1.5 x 20) + 5)
  EXPECT_EQ(c.maxSp, 4);   // trunc(0.5 x (1.0 x 8))
  EXPECT_EQ(c.hp, 65);
  EXPECT_EQ(c.sp, 4);
  EXPECT_EQ(c.ap, 0);
  EXPECT_EQ(c.side, 2);
  EXPECT_EQ(c.moveRange, 5);
  EXPECT_EQ(c.hit, 6);
  EXPECT_EQ(c.flee, 4);

  Character slow = squire(1, 3, 3);
  slow.computeDerived(database);
  EXPECT_EQ(slow.aspd, 2);  // trunc(0.75 + 1.5)
}

TEST_F(CharacterDerived, EquipmentSlotsAddOrSubtract) {
  struct Case {
    int slot;
    int def, mdef, flee;
    double resist0, statusResist1;
  };
  // The plate: def 5, mdef 2, flee 1, elementResist[0] 0.25, statusResist[1] 0.5.
  const Case cases[] = {
      {2, 15, 2, 5, 0.25, 0.5},   {3, 5, -2, 5, -0.25, -0.5}, {4, 5, -2, 5, -0.25, -0.5},
      {5, 5, -2, 5, -0.25, -0.5}, {0, 10, 0, 4, 0.0, 0.0},    {1, 10, 0, 4, 0.0, 0.0},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.slot);
    Character c = squire(10, 5, 3);
    c.equipment[k.slot] = 5;
    c.computeDerived(database);
    EXPECT_EQ(c.def, k.def);
    EXPECT_EQ(c.mdef, k.mdef);
    EXPECT_EQ(c.flee, k.flee);
    EXPECT_DOUBLE_EQ(c.elementResist[0], k.resist0);
    EXPECT_DOUBLE_EQ(c.statusResist[1], k.statusResist1);
  }
}

TEST_F(CharacterDerived, WeaponAddsToTheAttackSide) {
  Character c = squire(10, 5, 3);
  c.strength = 2;
  c.equipment[0] = 6;
  c.equipment[5] = 6;
  c.computeDerived(database);
  EXPECT_EQ(c.atk, 16);
  EXPECT_EQ(c.matk, 6);
  EXPECT_EQ(c.aspd, 4);  // trunc(1.25 + 1.5 + 1 + 1)
  EXPECT_EQ(c.hit, 10);
  EXPECT_DOUBLE_EQ(c.elementPower[1], 1.0);
  EXPECT_DOUBLE_EQ(c.statusChance[0], 20.0);
}

TEST(CharacterLookups, SecondDerivationReadsNoFile) {
  test::FixtureCopy files("derived");
  GameDatabase database;
  database.baseDirectory = files.path();
  Character c = squire(10, 5, 3);
  c.equipment[2] = 5;
  c.computeDerived(database);
  for (const char* file : {"itemdb.txt", "racedb.txt", "classdb.txt"}) files.remove(file);
  Character again = squire(10, 5, 3);
  again.equipment[2] = 5;
  again.computeDerived(database);
  EXPECT_EQ(again.maxHp, 65);
  EXPECT_EQ(again.def, c.def);
  EXPECT_EQ(again.moveRange, 5);
}

TEST_F(CharacterDerived, LevelUpDerivesAtTheOldLevel) {
  Character c = squire(10, 5, 3);
  c.levelUp(database);
  EXPECT_EQ(c.level, 2);
  EXPECT_EQ(c.strength, 11);
  EXPECT_EQ(c.dexterity, 38);
  EXPECT_EQ(c.intelligence, 48);
  EXPECT_EQ(c.mind, 66);
  EXPECT_EQ(c.hit, 38 + 1);
  EXPECT_EQ(c.maxHp, 2 * 32 * 3 + 38);  // vitality 32 at level 1
  c.computeDerived(database);
  EXPECT_EQ(c.hit, 38 + 2);
}

TEST(CharacterValue, CopyReplacesTheSkillListAndEqualityIsById) {
  Character three;
  three.id = 3;
  for (int skill : {4, 5, 6}) three.skills.add(skill);
  Character five;
  five.id = 5;
  for (int skill : {1, 2, 3, 4, 5}) five.skills.add(skill);
  five = three;
  ASSERT_EQ(five.skills.count(), 3);
  EXPECT_EQ(five.skills.at(0), 4);
  EXPECT_EQ(five.skills.at(2), 6);
  EXPECT_EQ(five.skills.at(3), 0);

  Character other = three;
  other.hp = 99;
  EXPECT_EQ(other, three);
  other.id = 4;
  EXPECT_NE(other, three);
}

}  // namespace
}  // namespace varnholt
