// Database lookups: the caches, the record scan and its star rules, the field order of each file, skill
// descriptions and id lists.

#include "data/game_database.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fixture_copy.h"

namespace varnholt {
namespace {

using test::FixtureCopy;
using test::useFixture;
using Ints = std::vector<int>;

const char* const kItemTwo = "*2 Late 4 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 1\n";

TEST(DatabaseCache, HitReturnsTheSameRecordWithoutTheFile) {
  FixtureCopy files("item_fields");
  GameDatabase database;
  database.baseDirectory = files.path();
  const ItemRecord first = database.getItem(7);
  files.remove("itemdb.txt");
  const ItemRecord second = database.getItem(7);
  EXPECT_STREQ(second.name, "Sword");
  EXPECT_EQ(second.flee, first.flee);
  EXPECT_EQ(second.aspd, first.aspd);
  EXPECT_EQ(second.hit, first.hit);
  EXPECT_DOUBLE_EQ(second.statusResist[3], 8.0);
}

TEST(DatabaseCache, FiftyFirstItemEvictsTheFirstWhichIsReadAgain) {
  FixtureCopy files("fifty_one_items");
  GameDatabase database;
  database.baseDirectory = files.path();
  for (int id = 1; id <= 51; ++id) ASSERT_EQ(database.getItem(id).atk, id);
  EXPECT_EQ(database.itemCache.findId(1), -1);
  files.write("itemdb.txt", "*1 Changed 1 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 1\n");
  EXPECT_STREQ(database.getItem(1).name, "Changed");
  EXPECT_STREQ(database.getItem(51).name, "Item51");
}

TEST(DatabaseCache, MissingFileOrNumberGivesAnEmptyRecordThatIsNotCached) {
  FixtureCopy files("missing_record");
  GameDatabase database;
  database.baseDirectory = files.path();
  EXPECT_EQ(database.getItem(2).id, 0);
  EXPECT_EQ(database.getSkill(1).id, 0);
  EXPECT_EQ(database.getMap(1).columns, 0);
  EXPECT_EQ(database.itemCache.count() + database.skillCache.count(), 0);
  files.write("itemdb.txt", kItemTwo);
  EXPECT_EQ(database.getItem(2).atk, 4);
  EXPECT_FALSE(database.input.is_open());
}

TEST(DatabaseScan, StarFormsAndBareNumbers) {
  struct Case {
    const char* fixture;
    int id;
    const char* name;  // empty: not found
  };
  const Case cases[] = {
      {"star_touching", 7, "Touching"}, {"star_apart", 7, "Apart"}, {"bare_number", 7, ""},
      {"star_not_number", 1, "Before"}, {"star_not_number", 7, ""}, {"any_order", 5, "Fifth"},
      {"any_order", 2, "FirstTwo"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.fixture) + " #" + std::to_string(c.id));
    GameDatabase database;
    useFixture(database, c.fixture);
    const ItemRecord item = database.getItem(c.id);
    EXPECT_STREQ(item.name, c.name);
    EXPECT_EQ(item.id, *c.name ? c.id : 0);
  }
}

TEST(DatabaseFields, ItemFileOrder) {
  GameDatabase database;
  useFixture(database, "item_fields");
  const ItemRecord item = database.getItem(7);
  EXPECT_EQ((Ints{item.atk, item.matk, item.def, item.mdef}), (Ints{12, 3, 4, 5}));
  EXPECT_DOUBLE_EQ(item.elementPower[5], 0.6);
  EXPECT_DOUBLE_EQ(item.statusChance[0], 1.0);
  EXPECT_DOUBLE_EQ(item.elementResist[0], 0.01);
  EXPECT_DOUBLE_EQ(item.statusResist[0], 5.0);
  EXPECT_EQ(item.reserved[0], 90);
  EXPECT_EQ((Ints{item.aspd, item.flee, item.hit, item.range}), (Ints{14, 15, 16, 2}));
}

// The CRLF copies end without a final newline.
TEST(DatabaseFields, SkillFileOrderAndDescriptions) {
  for (const char* fixture : {"skills", "crlf"}) {
    SCOPED_TRACE(fixture);
    GameDatabase database;
    useFixture(database, fixture);
    const SkillRecord fire = database.getSkill(1);
    EXPECT_EQ((Ints{fire.hpCost, fire.spCost, fire.atk, fire.matk, fire.def, fire.mdef}),
              (Ints{3, 5, 1, 2, 3, 4}));
    EXPECT_DOUBLE_EQ(fire.elementPower[1], 1.5);
    EXPECT_DOUBLE_EQ(fire.statusChance[3], 0.4);
    EXPECT_EQ((Ints{fire.range, fire.reserved, fire.kind}), (Ints{3, 9, kSkillDamage}));
    EXPECT_DOUBLE_EQ(fire.atkFactor, 0.5);
    EXPECT_DOUBLE_EQ(fire.matkFactor, 1.25);
    EXPECT_STREQ(fire.description, "Burns one foe");
    EXPECT_STREQ(database.getSkill(2).description, "Restores");
    // The first word is taken as it comes, even a lone star.
    EXPECT_STREQ(database.getSkill(3).description, "* starts text");
  }
  GameDatabase database;
  useFixture(database, "skill_star_touching");
  EXPECT_STREQ(database.getSkill(1).description, "Hits hard *2 Slash 0 2 0 0 0 0 0 0 0 0 0 0 0 0 0 0");
  EXPECT_STREQ(database.getSkill(2).description, "Cuts");
}

TEST(DatabaseFields, ClassIdListsAndRaces) {
  for (const char* fixture : {"classes", "crlf"}) {
    SCOPED_TRACE(fixture);
    GameDatabase database;
    useFixture(database, fixture);
    const ClassRecord knight = database.getClass(1);
    EXPECT_EQ(knight.classSkills.count(), 0);
    EXPECT_EQ(knight.moveRange, 4);
    EXPECT_DOUBLE_EQ(knight.hpFactor, 2.0);
    const ClassRecord sage = database.getClass(3);
    ASSERT_EQ(sage.classSkills.count(), 15);
    EXPECT_EQ(sage.classSkills.at(0), 2);
    EXPECT_EQ((Ints{sage.moveRange, sage.reserved}), (Ints{2, 7}));
  }
  GameDatabase database;
  useFixture(database, "classes");
  const RaceRecord elf = database.getRace(4);
  EXPECT_DOUBLE_EQ(elf.spFactor, 1.5);
  EXPECT_EQ((Ints{elf.moveRange, elf.reserved}), (Ints{2, 8}));
}

TEST(DatabaseFields, CharacterFileOrder) {
  GameDatabase database;
  useFixture(database, "characters");
  const Character aren = database.getCharacter(1);
  EXPECT_EQ((Ints{aren.raceId, aren.classId, aren.strength, aren.vitality, aren.dexterity, aren.intelligence,
                  aren.agility, aren.mind, aren.level, aren.exp}),
            (Ints{4, 2, 5, 10, 5, 4, 3, 2, 1, 120}));
  ASSERT_EQ(aren.skills.count(), 3);
  EXPECT_EQ(aren.skills.at(2), 9);
  EXPECT_EQ((Ints{aren.equipment[0], aren.equipment[5]}), (Ints{11, 16}));
  EXPECT_STREQ(aren.pictureFile, "aren.bmp");
  const Character many = database.getCharacter(20);
  ASSERT_EQ(many.skills.count(), 15);
  EXPECT_EQ(many.skills.at(0), 2);
  EXPECT_STREQ(many.pictureFile, "many.bmp");
}

}  // namespace
}  // namespace varnholt
