// Database lookups: the caches, the record scan and its star rules, the field order of each file, skill
// descriptions and id lists.

#include "data/game_database.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "content/content_report.h"
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

// Every field a lookup fills, as text, so that two reads of the same record can be compared whole.
class Fields {
 public:
  template <typename... Values>
  Fields& operator()(const Values&... values) {
    ((put(values)), ...);
    return *this;
  }
  std::string text() const { return out_.str(); }

 private:
  void put(const char* text) { out_ << '[' << text << ']'; }
  void put(int value) { out_ << value << ' '; }
  void put(double value) { out_ << value << ' '; }
  template <std::size_t N>
  void put(const int (&values)[N]) {
    for (int v : values) put(v);
  }
  template <std::size_t N>
  void put(const double (&values)[N]) {
    for (double v : values) put(v);
  }
  void put(const IdList& list) {
    for (int i = 0; i < list.count(); ++i) put(list.at(i));
    out_ << "; ";
  }
  std::ostringstream out_;
};

std::string everyRecord(GameDatabase& database) {
  Fields f;
  for (int id = -1; id <= 60; ++id) {
    const ItemRecord i = database.getItem(id);
    f(i.id, i.name, i.atk, i.matk, i.def, i.mdef, i.elementPower, i.statusChance, i.elementResist,
      i.statusResist, i.reserved, i.aspd, i.flee, i.hit, i.range);
    const SkillRecord s = database.getSkill(id);
    f(s.id, s.name, s.hpCost, s.spCost, s.atk, s.matk, s.def, s.mdef, s.elementPower, s.statusChance,
      s.elementResist, s.statusResist, s.range, s.reserved, s.atkFactor, s.matkFactor, s.kind, s.description);
    const ClassRecord c = database.getClass(id);
    f(c.id, c.name, c.growth, c.hpFactor, c.spFactor, c.classSkills, c.moveRange, c.reserved);
    const RaceRecord r = database.getRace(id);
    f(r.id, r.name, r.growth, r.hpFactor, r.spFactor, r.moveRange, r.reserved);
    const Character ch = database.getCharacter(id);
    f(ch.id, ch.name, ch.raceId, ch.classId, ch.strength, ch.vitality, ch.dexterity, ch.intelligence,
      ch.agility, ch.mind, ch.level, ch.exp, ch.skills, ch.equipment, ch.pictureFile);
    const MapRecord m = database.getMap(id);
    f(m.id, m.name, m.columns, m.rows);
    for (const auto& column : m.terrain) f(column);
  }
  return f.text();
}

TEST(DatabaseMemoryFiles, ReadExactlyAsTheFilesAndAreCappedLikeThem) {
  // Every fixture folder, every record kind: the same records from memory as from the files.
  const char* const kFiles[] = {"itemdb.txt", "skilldb.txt", "classdb.txt", "racedb.txt",
                                "chardb.txt", "mapdb.txt",   "battledb.txt"};
  int folders = 0;
  for (const auto& entry : std::filesystem::directory_iterator("fixtures")) {
    SCOPED_TRACE(entry.path().string());
    GameDatabase fromFiles;
    fromFiles.baseDirectory = entry.path().string();
    GameDatabase fromMemory;
    fromMemory.baseDirectory = "/nonexistent";
    for (const char* file : kFiles) {
      std::ifstream in(entry.path() / file, std::ios::binary);
      if (!in) continue;
      std::ostringstream text;
      text << in.rdbuf();
      fromMemory.setMemoryFile(file, text.str());
    }
    EXPECT_EQ(everyRecord(fromMemory), everyRecord(fromFiles));
    EXPECT_FALSE(fromMemory.input.is_open());
    ++folders;
  }
  EXPECT_GT(folders, 20);

  std::vector<std::string> reports;
  const auto previous =
      content::setContentReportSink([&](const std::string& message) { reports.push_back(message); });
  FixtureCopy files("characters");
  GameDatabase database;
  database.baseDirectory = files.path();
  ASSERT_NE(database.getCharacter(1).id, 0);
  database.clearCaches();
  // A sparse file: only its size counts, nothing of it is read.
  std::filesystem::resize_file(files.path() + "/chardb.txt", kMaxDatabaseFileBytes + 1);
  EXPECT_EQ(database.getCharacter(1).id, 0);
  EXPECT_EQ(database.getCharacter(2).id, 0);
  EXPECT_FALSE(database.input.is_open());
  std::string big(kMaxDatabaseFileBytes + 1, ' ');
  big.replace(0, 4, "*1 X");
  database.setMemoryFile("itemdb.txt", std::move(big));
  EXPECT_EQ(database.getItem(1).id, 0);
  // A device that never ends (the scan would read its zeros for ever) is not a regular file: refused.
  std::filesystem::remove(files.path() + "/chardb.txt");
  std::filesystem::create_symlink("/dev/zero", files.path() + "/chardb.txt");
  EXPECT_EQ(database.getCharacter(1).id, 0);
  ASSERT_EQ(reports.size(), 3u) << "each refused file is reported once";
  EXPECT_NE(reports[2].find("chardb.txt is not a regular file"), std::string::npos) << reports[2];
  EXPECT_NE(reports[0].find("chardb.txt is " + std::to_string(kMaxDatabaseFileBytes + 1) + " bytes"),
            std::string::npos)
      << reports[0];
  EXPECT_NE(reports[1].find("itemdb.txt is larger than a database file may be"), std::string::npos);
  content::setContentReportSink(previous);
}

}  // namespace
}  // namespace varnholt
