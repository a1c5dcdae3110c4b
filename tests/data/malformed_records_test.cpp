// Malformed database records: over-long words, fields that do not parse, files cut short and maps beyond
// their layers. Each must read without touching memory outside a field and without hanging, keeping the
// stream on the next token or leaving the rest of the record 0.

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <sstream>
#include <string>

#include "data/game_database.h"
#include "data/record_reader.h"
#include "fixture_copy.h"

namespace varnholt {
namespace {

struct MalformedCase {
  const char* fixture;
  std::function<void(GameDatabase&)> check;
};

const MalformedCase kCases[] = {
    {"malformed_item_words",  // name cut to 19 characters, fields after it still read
     [](GameDatabase& db) {
       const ItemRecord item = db.getItem(1);
       EXPECT_STREQ(item.name, "AnItemNameFarTooLon");
       EXPECT_EQ(item.atk, 4);
       EXPECT_EQ(item.range, 3);
     }},
    {"malformed_character_words",
     [](GameDatabase& db) {
       const Character c = db.getCharacter(1);
       EXPECT_STREQ(c.name, "ANameOfFortyCha");
       EXPECT_EQ(c.exp, 10);
       EXPECT_STREQ(c.pictureFile, "a_picture_file_name_of_f");
       EXPECT_STREQ(db.getCharacter(2).pictureFile, "next.bmp");
     }},
    {"malformed_skill_words",  // words after the first cut to 11, the joined text to 51
     [](GameDatabase& db) {
       EXPECT_EQ(db.getSkill(1).description, std::string(51, 'A'));
       EXPECT_STREQ(db.getSkill(2).description, "Short Extraordina long words keep coming until past");
     }},
    {"malformed_non_numeric",  // a word in place of a number zeroes the rest; an id list stops
     [](GameDatabase& db) {
       const ItemRecord item = db.getItem(1);
       EXPECT_EQ(item.id, 1);
       EXPECT_EQ(item.atk, 5);
       EXPECT_EQ(item.matk + item.def + item.range, 0);
       const ClassRecord listy = db.getClass(1);
       EXPECT_EQ(listy.classSkills.count(), 2);
       EXPECT_EQ(listy.moveRange, 0);
     }},
    {"malformed_huge_number", [](GameDatabase& db) { EXPECT_EQ(db.getItem(1).atk + db.getItem(1).matk, 0); }},
    {"malformed_truncated",
     [](GameDatabase& db) {
       EXPECT_EQ(db.getItem(1).atk, 3);
       EXPECT_EQ(db.getClass(1).classSkills.count(), 2);
       EXPECT_STREQ(db.getSkill(1).description, "Words without end");
       EXPECT_EQ(db.getCharacter(1).strength, 5);
       const MapRecord map = db.getMap(1);
       EXPECT_EQ(map.terrain[2][1], 3);
       EXPECT_EQ(map.terrain[2][2], 0);
     }},
    {"map_huge",  // 30 x 27 keeps its first 25 x 25 cells
     [](GameDatabase& db) {
       const MapRecord map = db.getMap(1);
       EXPECT_EQ(map.columns, 25);
       EXPECT_EQ(map.rows, 25);
       EXPECT_EQ(map.terrain[2][1], 28);
       EXPECT_EQ(map.terrain[25][25], 24 * 27 + 25);
     }},
    {"map_endless",  // a size near the int limit stops at the end of the file
     [](GameDatabase& db) {
       const MapRecord map = db.getMap(1);
       EXPECT_EQ(map.columns, 25);
       EXPECT_EQ(map.terrain[1][3], 3);
     }},
    {"map_negative",
     [](GameDatabase& db) {
       const MapRecord map = db.getMap(1);
       EXPECT_EQ(map.columns, 0);
       EXPECT_EQ(map.rows, 4);
       EXPECT_EQ(map.terrain[1][1], 0);
     }},
};

TEST(MalformedRecords, EachIsReadSafely) {
  for (const MalformedCase& c : kCases) {
    SCOPED_TRACE(c.fixture);
    GameDatabase database;
    test::useFixture(database, c.fixture);
    c.check(database);
    EXPECT_FALSE(database.input.is_open());
  }
}

// Every record of every fixture file, and mangled copies of them, read by the layouts with and without an
// observer: the records and the stream's place and state come out the same, as the checker relies on.
class CountingObserver : public FieldObserver {
 public:
  void fieldRead(const FieldRead& read) override {
    ++reads;
    EXPECT_TRUE(read.end < 0 || read.end >= read.start);
  }
  int reads = 0;
};

template <typename Record, typename Layout>
void expectSameRead(const std::string& text, Layout layout) {
  std::istringstream scan(text);
  for (int id = 0; scanToNextRecord(scan, id);) {
    const auto at = scan.tellg();
    std::istringstream plainIn(text), observedIn(text);
    plainIn.seekg(at);
    observedIn.seekg(at);
    Record plain{}, observed{};
    FieldReader plainFields(plainIn);
    CountingObserver observer;
    FieldReader observedFields(observedIn, &observer);
    layout(plainFields, plain);
    layout(observedFields, observed);
    EXPECT_EQ(std::memcmp(&plain, &observed, sizeof plain), 0) << "record " << id;
    EXPECT_EQ(plainIn.rdstate(), observedIn.rdstate()) << "record " << id;
    plainIn.clear();
    observedIn.clear();
    EXPECT_EQ(plainIn.tellg(), observedIn.tellg()) << "record " << id;
    EXPECT_GT(observer.reads, 0);
  }
}

TEST(FieldObserver, ChangesNothingTheRecordLayoutsRead) {
  std::mt19937 random(11);
  for (const auto& folder : std::filesystem::directory_iterator("fixtures")) {
    if (!folder.is_directory()) continue;
    for (const auto& file : std::filesystem::directory_iterator(folder.path())) {
      std::ifstream in(file.path(), std::ios::binary);
      const std::string original{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
      for (int round = 0; round < 4; ++round) {
        std::string text = original;
        for (int k = 0; round > 0 && k < 3 && !text.empty(); ++k)
          text[random() % text.size()] = "*-x. 9\n"[random() % 7];
        const std::string name = file.path().filename().string();
        if (name == "itemdb.txt") expectSameRead<ItemRecord>(text, readItemFields);
        if (name == "skilldb.txt") expectSameRead<SkillRecord>(text, readSkillFields);
        if (name == "classdb.txt") expectSameRead<ClassRecord>(text, readClassFields);
        if (name == "racedb.txt") expectSameRead<RaceRecord>(text, readRaceFields);
        if (name == "chardb.txt") expectSameRead<Character>(text, readCharacterFields);
        if (name == "mapdb.txt") expectSameRead<MapRecord>(text, readMapFields);
      }
    }
  }
}

}  // namespace
}  // namespace varnholt
