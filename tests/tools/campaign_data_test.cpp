// The default campaign's databases, read with the game's own loaders, against what the game needs of
// them: the roster, five battles within the limits of the battle grid and the unit sprites, records that
// exist for every number named, small ranges, and speeds that keep the turn cycle moving.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "battle/battle_definition.h"
#include "data/game_database.h"

namespace varnholt {
namespace {

constexpr int kBattles = 5;
constexpr int kParty = 5;
constexpr int kMaxRange = 8;

// Every character the campaign names: the roster and each battle's opponents.
std::vector<int> namedCharacters(GameDatabase& db) {
  std::vector<int> ids{1, 2, 3, 4, 5, 6, 7, 8};
  for (int n = 1; n <= kBattles; ++n)
    for (const auto& e : readBattleDefinition(db, n).entries) ids.push_back(e.characterId);
  return ids;
}

TEST(CampaignRoster, EightMembersOfDistinctRaceAndClassWithSkillsAndPictures) {
  GameDatabase db;
  std::set<int> races, classes;
  for (int id = 1; id <= 8; ++id) {
    const Character c = db.getCharacter(id);
    ASSERT_EQ(c.id, id);
    races.insert(c.raceId);
    classes.insert(c.classId);
    EXPECT_GT(c.skills.count(), 0) << c.name;
    EXPECT_EQ(c.level, 1) << c.name;
    EXPECT_TRUE(std::string(c.pictureFile).ends_with(".bmp")) << c.name;
  }
  EXPECT_EQ(races.size(), 8u);
  EXPECT_EQ(classes.size(), 8u);
}

TEST(CampaignBattles, EachBattleFitsTheGridTheSpritesAndThePartyPlacement) {
  GameDatabase db;
  for (int n = 1; n <= kBattles; ++n) {
    SCOPED_TRACE("battle " + std::to_string(n));
    const BattleDefinition b = readBattleDefinition(db, n);
    ASSERT_TRUE(b.found);
    const MapRecord map = db.getMap(b.mapId);
    ASSERT_EQ(map.columns, 10);
    ASSERT_EQ(map.rows, 10);
    EXPECT_GE(b.entries.size(), 1u);
    EXPECT_LE(b.entries.size() + kParty, 13u) << "one unit sprite per combatant";
    std::set<int> ids;
    std::set<std::pair<int, int>> cells;
    for (const auto& e : b.entries) {
      EXPECT_GT(e.characterId, 8) << "opponents never share a number with the roster";
      EXPECT_TRUE(ids.insert(e.characterId).second) << "id " << e.characterId << " twice";
      EXPECT_TRUE(cells.insert({e.column, e.row}).second) << "cell " << e.column << "," << e.row << " twice";
      EXPECT_TRUE(e.column >= 1 && e.column <= 10 && e.row >= 1 && e.row <= 10);
      EXPECT_NE(e.side, 1) << "opponents are on the computer's side";
      EXPECT_EQ(db.getCharacter(e.characterId).id, e.characterId);
    }
    EXPECT_GE(100 - static_cast<int>(cells.size()), kParty) << "free cells for the party";
  }
}

TEST(CampaignBattles, DifficultyRisesFromBattleToBattle) {
  GameDatabase db;
  int previousHp = 0, previousCount = 0;
  for (int n = 1; n <= kBattles; ++n) {
    int hp = 0;
    const BattleDefinition b = readBattleDefinition(db, n);
    for (const auto& e : b.entries) {
      Character c = db.getCharacter(e.characterId);
      c.computeDerived(db);
      hp += c.maxHp;
    }
    EXPECT_GT(hp, previousHp) << "battle " << n;
    EXPECT_GE(static_cast<int>(b.entries.size()), previousCount) << "battle " << n;
    previousHp = hp;
    previousCount = static_cast<int>(b.entries.size());
  }
}

TEST(CampaignRecords, EveryNumberNamedHasARecordAndRangesStaySmall) {
  GameDatabase db;
  for (const int id : namedCharacters(db)) {
    Character c = db.getCharacter(id);
    SCOPED_TRACE(c.name);
    EXPECT_NE(db.getRace(c.raceId).id, 0);
    EXPECT_NE(db.getClass(c.classId).id, 0);
    for (const int item : c.equipment) EXPECT_EQ(db.getItem(item).id, item);
    for (int k = 0; k < c.skills.count(); ++k) {
      const SkillRecord s = db.getSkill(c.skills.at(k));
      EXPECT_EQ(s.id, c.skills.at(k));
      EXPECT_TRUE(s.kind >= 1 && s.kind <= 3) << s.name;
      EXPECT_TRUE(s.range >= 0 && s.range <= kMaxRange) << s.name;
    }
    c.computeDerived(db);
    EXPECT_TRUE(c.moveRange >= 1 && c.moveRange <= kMaxRange);
    const int weaponRange = db.getItem(c.weapon()).range;
    EXPECT_TRUE(weaponRange >= 1 && weaponRange <= kMaxRange) << "everyone can strike a neighbour";
    EXPECT_TRUE(c.weapon() >= 1 && c.weapon() <= 4) << "the four weapons with a swing picture";
    EXPECT_GE(c.flee, 1) << "the hit roll divides by it";
    EXPECT_GE(c.maxHp, 1);
  }
}

TEST(CampaignSpeeds, AnyThreeOfThePartyStillChooseSomeoneToAct) {
  // Nobody acts while the speeds of the combatants left add up to less than 100: as long as three party
  // members stand, the battle goes on even when the opponents are gone.
  GameDatabase db;
  std::vector<int> speeds;
  for (int id = 1; id <= 8; ++id) {
    Character c = db.getCharacter(id);
    c.computeDerived(db);
    speeds.push_back(c.aspd);
  }
  std::sort(speeds.begin(), speeds.end());
  EXPECT_GE(speeds[0] + speeds[1] + speeds[2], 100);
}

TEST(CampaignSkills, DescriptionsFitTheSkillListLine) {
  // Read straight from the file: the game keeps at most 51 characters, and every word after the first
  // is at most 11 long.
  std::ifstream file("skilldb.txt");
  ASSERT_TRUE(file.is_open());
  const std::vector<std::string> words{std::istream_iterator<std::string>(file),
                                       std::istream_iterator<std::string>()};
  int descriptions = 0;
  for (std::size_t i = 0; i < words.size(); ++i) {
    if (words[i] != "*" || i + 1 >= words.size()) continue;
    const std::size_t first = i + 3 + 6 + 20 + 5;  // star, id, name, six ints, twenty doubles, five fields
    ASSERT_LT(first, words.size());
    std::string text = words[first];
    std::size_t k = first + 1;
    for (; k < words.size() && words[k] != "*"; ++k) {
      EXPECT_LE(words[k].size(), 11u) << words[k];
      text += " " + words[k];
    }
    EXPECT_LE(text.size(), 51u) << text;
    ++descriptions;
    i = k - 1;
  }
  EXPECT_GE(descriptions, 8);
  GameDatabase db;
  for (int id = 1; id <= descriptions; ++id) EXPECT_EQ(db.getSkill(id).id, id) << "skills are numbered 1 up";
}

}  // namespace
}  // namespace varnholt
