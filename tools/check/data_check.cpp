// The seven databases: each file read record by record in the layout the game reads it in, then the
// records checked against one another and against what the battles, the grid and the sprites need.

#include <algorithm>
#include <array>
#include <functional>
#include <map>
#include <set>
#include <utility>

#include "check/content_check.h"
#include "check/token_file.h"

namespace varnholt::check {
namespace {

constexpr int kRoster = 8;
constexpr int kBattles = 5;
constexpr int kParty = 5;
constexpr int kMaxEntries = 12;
constexpr int kMaxCombatants = 13;
constexpr int kMaxRange = 8;
constexpr int kMaxMapSide = 25;
constexpr int kCursorSide = 10;
constexpr int kMaxSkills = 15;

enum class Kind { Int, Double, Word, IdList, Description };

struct Field {
  Kind kind;
  std::string name;
  std::size_t maxLength = 0;
};

struct Value {
  int number = 0;
  std::string text;
  std::vector<int> list;
};

struct Entry {
  int id = 0, column = 0, row = 0, side = 0, line = 0;
};

struct Record {
  int id = 0;
  int line = 0;
  std::vector<Value> values;
  std::vector<Entry> entries;  // battles only

  // A field the record holds, or 0 as the game leaves a field it could not read.
  int at(std::size_t index) const { return index < values.size() ? values[index].number : 0; }
  const Value& value(std::size_t index) const {
    static const Value none;
    return index < values.size() ? values[index] : none;
  }
};

using Table = std::map<int, Record>;

void addRepeated(std::vector<Field>& schema, Kind kind, const std::string& name, int count) {
  for (int k = 0; k < count; ++k) schema.push_back({kind, name + " " + std::to_string(k + 1)});
}

std::vector<Field> itemSchema() {
  std::vector<Field> s{{Kind::Word, "name", 19},
                       {Kind::Int, "atk"},
                       {Kind::Int, "matk"},
                       {Kind::Int, "def"},
                       {Kind::Int, "mdef"}};
  addRepeated(s, Kind::Double, "element power", 6);
  addRepeated(s, Kind::Double, "status chance", 4);
  addRepeated(s, Kind::Double, "element resistance", 6);
  addRepeated(s, Kind::Double, "status resistance", 4);
  addRepeated(s, Kind::Int, "reserved int", 4);
  for (const char* name : {"aspd", "flee", "hit", "range"}) s.push_back({Kind::Int, name});
  return s;
}
constexpr std::size_t kItemAspd = 29, kItemFlee = 30, kItemRange = 32;

std::vector<Field> skillSchema() {
  std::vector<Field> s{{Kind::Word, "name", 15}};
  for (const char* name : {"hp cost", "sp cost", "atk", "matk", "def", "mdef"})
    s.push_back({Kind::Int, name});
  addRepeated(s, Kind::Double, "element power", 6);
  addRepeated(s, Kind::Double, "status chance", 4);
  addRepeated(s, Kind::Double, "element resistance", 6);
  addRepeated(s, Kind::Double, "status resistance", 4);
  s.push_back({Kind::Int, "range"});
  s.push_back({Kind::Int, "reserved int"});
  s.push_back({Kind::Double, "atk factor"});
  s.push_back({Kind::Double, "matk factor"});
  s.push_back({Kind::Int, "kind"});
  s.push_back({Kind::Description, "description"});
  return s;
}
constexpr std::size_t kSkillRange = 27, kSkillKind = 31;

std::vector<Field> raceSchema(bool withSkills) {
  std::vector<Field> s{{Kind::Word, "name", 15}};
  addRepeated(s, Kind::Int, "growth", 6);
  s.push_back({Kind::Double, "hp factor"});
  s.push_back({Kind::Double, "sp factor"});
  if (withSkills) s.push_back({Kind::IdList, "skill list"});
  s.push_back({Kind::Int, "move range"});
  s.push_back({Kind::Int, "reserved int"});
  return s;
}
constexpr std::size_t kRaceMove = 9, kClassMove = 10;

std::vector<Field> characterSchema() {
  std::vector<Field> s{{Kind::Word, "name", 15}};
  for (const char* name : {"race", "class", "strength", "vitality", "dexterity", "intelligence", "agility",
                           "mind", "level", "exp"})
    s.push_back({Kind::Int, name});
  s.push_back({Kind::IdList, "skill list"});
  addRepeated(s, Kind::Int, "equipment slot", 6);
  s.push_back({Kind::Word, "picture file", 24});
  s.push_back({Kind::Word, "last word", 26});
  return s;
}
constexpr std::size_t kCharRace = 1, kCharClass = 2, kCharDex = 5, kCharAgi = 7, kCharLevel = 9,
                      kCharSkills = 11, kCharEquipment = 12, kCharPicture = 18;

constexpr std::size_t kMapColumns = 1, kMapRows = 2;

// Reads one file's records in order, as the game's scan finds them.
class FileParser {
 public:
  FileParser(std::string file, const std::vector<Token>& tokens, Report& report)
      : file_(std::move(file)), tokens_(tokens), report_(report) {}

  // `tail` reads what follows the fixed fields (map cells, battle entries); false ends the record.
  Table parse(const std::vector<Field>& schema, bool descriptions,
              const std::function<void(FileParser&, Record&)>& tail = nullptr) {
    Table table;
    while (pos_ < tokens_.size()) {
      std::size_t used = 0;
      const Token& token = tokens_[pos_];
      if (const auto id = recordStart(tokens_, pos_, used)) {
        Record record{*id, token.line, {}, {}};
        pos_ += used;
        if (readFields(schema, record) && tail) tail(*this, record);
        const auto [it, added] = table.emplace(record.id, record);
        if (!added)
          report_.problem(file_, record.line,
                          "record " + std::to_string(record.id) +
                              " repeats the number of the record at line " + std::to_string(it->second.line) +
                              "; the game only ever finds the first");
        continue;
      }
      const bool finalStar = descriptions && token.text == "*" && pos_ + 1 == tokens_.size();
      if (token.text.find('*') != std::string::npos && !finalStar)
        report_.problem(file_, token.line,
                        "'" + token.text + "' holds a '*' not followed by a record number; the game stops " +
                            "looking for records there");
      ++pos_;
    }
    return table;
  }

  // One int of the record's tail; nullopt (reported) when it is missing or not an int.
  std::optional<int> readInt(const Record& record, const std::string& name) {
    if (pos_ >= tokens_.size()) {
      endsEarly(record, name);
      return std::nullopt;
    }
    const Token& token = tokens_[pos_];
    const auto value = parseInt(token.text);
    if (!value) {
      report_.problem(file_, token.line,
                      label(record) + name + " should be an int, found '" + token.text + "'");
      return std::nullopt;
    }
    ++pos_;
    return value;
  }

  int line() const {
    return pos_ < tokens_.size() ? tokens_[pos_].line : (tokens_.empty() ? 0 : tokens_.back().line);
  }

 private:
  static std::string label(const Record& record) { return "record " + std::to_string(record.id) + ": "; }

  void endsEarly(const Record& record, const std::string& name) {
    report_.problem(file_, line(), label(record) + "the file ends before its " + name);
  }

  void checkWord(const Record& record, const Token& token, const Field& field) {
    if (token.text.size() > field.maxLength)
      report_.problem(file_, token.line,
                      label(record) + field.name + " '" + token.text + "' is longer than " +
                          std::to_string(field.maxLength) + " characters");
    if (token.text.find('*') != std::string::npos)
      report_.problem(file_, token.line,
                      label(record) + field.name + " '" + token.text +
                          "' holds a '*', which the game takes for the start of a record");
  }

  bool readFields(const std::vector<Field>& schema, Record& record) {
    for (const Field& field : schema) {
      Value value;
      switch (field.kind) {
        case Kind::Int: {
          const auto n = readInt(record, field.name);
          if (!n) return false;
          value.number = *n;
          break;
        }
        case Kind::Double: {
          if (pos_ >= tokens_.size()) return endsEarly(record, field.name), false;
          const Token& token = tokens_[pos_];
          if (!parseDouble(token.text)) {
            report_.problem(file_, token.line,
                            label(record) + field.name + " should be a number, found '" + token.text + "'");
            return false;
          }
          ++pos_;
          break;
        }
        case Kind::Word:
          if (pos_ >= tokens_.size()) return endsEarly(record, field.name), false;
          checkWord(record, tokens_[pos_], field);
          value.text = tokens_[pos_++].text;
          break;
        case Kind::IdList:
          for (;;) {
            const auto n = readInt(record, field.name + " (ended by -1)");
            if (!n) return false;
            if (*n == -1) break;
            value.list.push_back(*n);
          }
          break;
        case Kind::Description:
          if (!readDescription(record, value)) return false;
          break;
      }
      record.values.push_back(std::move(value));
    }
    return true;
  }

  // Words up to a lone "*", which stays in place to open the next record.
  bool readDescription(const Record& record, Value& value) {
    if (pos_ >= tokens_.size()) return endsEarly(record, "description"), false;
    const int startLine = tokens_[pos_].line;
    if (tokens_[pos_].text == "*") {
      report_.problem(file_, startLine,
                      label(record) + "the description is empty; the game would take the '*' as its text");
      return false;
    }
    bool first = true;
    for (; pos_ < tokens_.size() && tokens_[pos_].text != "*"; ++pos_) {
      const Token& token = tokens_[pos_];
      if (token.text.find('*') != std::string::npos)
        report_.problem(
            file_, token.line,
            label(record) + "description word '" + token.text +
                "' holds a '*'; the star that opens the next record must stand apart from its number");
      if (!first && token.text.size() > 11)
        report_.problem(file_, token.line,
                        label(record) + "description word '" + token.text + "' is longer than 11 characters");
      value.text += (first ? "" : " ") + token.text;
      first = false;
    }
    if (value.text.size() > 51)
      report_.problem(file_, startLine,
                      label(record) + "the description is " + std::to_string(value.text.size()) +
                          " characters long; the skill list holds 51");
    if (pos_ >= tokens_.size()) {
      report_.problem(file_, line(), label(record) + "the description is not ended by a lone '*'");
      return false;
    }
    return true;
  }

  std::string file_;
  const std::vector<Token>& tokens_;
  Report& report_;
  std::size_t pos_ = 0;
};

Table parseFile(const std::filesystem::path& folder, const std::string& file,
                const std::vector<Field>& schema, Report& report, bool descriptions = false,
                const std::function<void(FileParser&, Record&)>& tail = nullptr) {
  const auto tokens = readTokens(folder / file);
  if (!tokens) {
    report.problem(file, 0, "missing or unreadable");
    return {};
  }
  FileParser parser(file, *tokens, report);
  return parser.parse(schema, descriptions, tail);
}

// The map's cells, column by column; the count follows the size, which must fit the map layers.
void readMapCells(FileParser& parser, Record& map) {
  const int columns = map.at(kMapColumns), rows = map.at(kMapRows);
  if (columns < 1 || rows < 1 || columns > kMaxMapSide || rows > kMaxMapSide) return;
  for (int k = 0; k < columns * rows; ++k)
    if (!parser.readInt(map,
                        "terrain code " + std::to_string(k + 1) + " of " + std::to_string(columns * rows)))
      return;
}

void readBattleEntries(FileParser& parser, Record& battle) {
  for (;;) {
    const int line = parser.line();
    const auto id = parser.readInt(battle, "next character id (or the closing 0)");
    if (!id || *id == 0) return;
    Entry entry{*id, 0, 0, 0, line};
    const auto column = parser.readInt(battle, "column of character " + std::to_string(*id));
    if (!column) return;
    const auto row = parser.readInt(battle, "row of character " + std::to_string(*id));
    if (!row) return;
    const auto side = parser.readInt(battle, "side of character " + std::to_string(*id));
    if (!side) return;
    entry.column = *column;
    entry.row = *row;
    entry.side = *side;
    battle.entries.push_back(entry);
  }
}

struct Campaign {
  Table items, skills, classes, races, characters, maps, battles;
};

// A character's speed, as the statistics derivation forms it: dexterity and agility plus the attack-side
// items' bonuses. Missing items count 0. Sums are formed wide, so absurd values cannot overflow them.
long long speedOf(const Campaign& c, const Record& character) {
  double sum = 0.25 * character.at(kCharDex) + 0.5 * character.at(kCharAgi);
  for (const std::size_t slot : {0u, 1u, 4u, 5u}) {
    const auto item = c.items.find(character.at(kCharEquipment + slot));
    if (item != c.items.end()) sum += item->second.at(kItemAspd);
  }
  return static_cast<long long>(std::clamp(sum, -1e15, 1e15));
}

long long fleeOf(const Campaign& c, const Record& character) {
  long long flee = static_cast<long long>(character.at(kCharAgi)) + character.at(kCharLevel);
  for (const std::size_t slot : {2u, 3u, 4u, 5u}) {
    const auto item = c.items.find(character.at(kCharEquipment + slot));
    if (item != c.items.end()) flee += item->second.at(kItemFlee);
  }
  return flee;
}

void checkCharacter(const Campaign& c, const Record& ch, Report& report) {
  const std::string who = "character " + std::to_string(ch.id) + ": ";
  const auto race = c.races.find(ch.at(kCharRace));
  const auto cls = c.classes.find(ch.at(kCharClass));
  if (race == c.races.end())
    report.problem("chardb.txt", ch.line,
                   who + "race " + std::to_string(ch.at(kCharRace)) + " is not in racedb.txt");
  if (cls == c.classes.end())
    report.problem("chardb.txt", ch.line,
                   who + "class " + std::to_string(ch.at(kCharClass)) + " is not in classdb.txt");
  const std::vector<int>& skills = ch.value(kCharSkills).list;
  for (const int skill : skills)
    if (!c.skills.contains(skill))
      report.problem("chardb.txt", ch.line,
                     who + "skill " + std::to_string(skill) + " is not in skilldb.txt");
  if (skills.size() > kMaxSkills)
    report.warn("chardb.txt", ch.line,
                who + "lists " + std::to_string(skills.size()) + " skills; only the last 15 are kept");
  for (std::size_t slot = 0; slot < 6; ++slot) {
    const int item = ch.at(kCharEquipment + slot);
    if (!c.items.contains(item))
      report.problem("chardb.txt", ch.line,
                     who + "item " + std::to_string(item) + " in equipment slot " + std::to_string(slot + 1) +
                         " is not in itemdb.txt");
  }
  if (race != c.races.end() && cls != c.classes.end()) {
    const long long move = static_cast<long long>(race->second.at(kRaceMove)) + cls->second.at(kClassMove);
    if (move < 0 || move > kMaxRange)
      report.problem("chardb.txt", ch.line,
                     who + "move range " + std::to_string(move) + " (race plus class) is outside 0 to 8");
  }
  const int weapon = ch.at(kCharEquipment);
  if (const auto item = c.items.find(weapon); item != c.items.end() && item->second.at(kItemRange) < 1)
    report.warn("chardb.txt", ch.line, who + "the weapon's range is 0, so it cannot strike a neighbour");
  if (weapon < 1 || weapon > 4)
    report.warn(
        "chardb.txt", ch.line,
        who + "weapon " + std::to_string(weapon) + " has no swing picture (only weapons 1 to 4 have one)");
  const long long flee = fleeOf(c, ch);
  if (flee < 1)
    report.problem("chardb.txt", ch.line,
                   who + "flee " + std::to_string(flee) + " is below 1; the hit roll divides by it");
}

void checkBattle(const Campaign& c, const Record& b, Report& report) {
  const std::string what = "battle " + std::to_string(b.id) + ": ";
  const auto map = c.maps.find(b.at(0));
  if (map == c.maps.end())
    report.problem("battledb.txt", b.line, what + "map " + std::to_string(b.at(0)) + " is not in mapdb.txt");
  const int count = static_cast<int>(b.entries.size());
  if (count > kMaxEntries)
    report.problem("battledb.txt", b.line,
                   what + std::to_string(count) + " combatants listed; a battle lists at most 12");
  else if (count + kParty > kMaxCombatants)
    report.problem("battledb.txt", b.line,
                   what + std::to_string(count) +
                       " combatants listed; with the party of five that is more than " +
                       "the 13 a battle holds");
  std::map<int, int> seen;
  std::map<std::pair<int, int>, int> cells;
  long long computerSpeed = 0, alliedSpeed = 0;
  int computerCount = 0;
  for (const Entry& e : b.entries) {
    const std::string who = what + "character " + std::to_string(e.id);
    const std::string cell = "(" + std::to_string(e.column) + ", " + std::to_string(e.row) + ")";
    if (e.id >= 1 && e.id <= kRoster)
      report.problem("battledb.txt", e.line, who + " has a party member's number (1 to 8)");
    if (!seen.emplace(e.id, e.line).second) report.problem("battledb.txt", e.line, who + " is listed twice");
    const auto ch = c.characters.find(e.id);
    if (ch == c.characters.end())
      report.problem("battledb.txt", e.line, who + " is not in chardb.txt");
    else if (e.side == 1)
      alliedSpeed += speedOf(c, ch->second);
    else {
      computerSpeed += speedOf(c, ch->second);
      ++computerCount;
    }
    if (map != c.maps.end()) {
      const int columns = map->second.at(kMapColumns), rows = map->second.at(kMapRows);
      if (e.column < 1 || e.row < 1 || e.column > columns || e.row > rows)
        report.problem("battledb.txt", e.line,
                       who + " stands at " + cell + ", off the map's " + std::to_string(columns) + " x " +
                           std::to_string(rows) + " cells");
    }
    if (const auto [it, added] = cells.emplace(std::pair{e.column, e.row}, e.id); !added)
      report.problem("battledb.txt", e.line,
                     who + " shares cell " + cell + " with character " + std::to_string(it->second));
    if (e.column < 1 || e.row < 1 || e.column > kCursorSide || e.row > kCursorSide)
      report.warn(
          "battledb.txt", e.line,
          who + " at " + cell + " is outside columns and rows 1 to 10, where the grid cursor cannot reach");
  }
  int taken = 0;
  for (const auto& [cell, id] : cells)
    taken += cell.first >= 1 && cell.first <= kCursorSide && cell.second >= 1 && cell.second <= kCursorSide;
  if (kCursorSide * kCursorSide - taken < kParty)
    report.problem("battledb.txt", b.line,
                   what + "only " + std::to_string(kCursorSide * kCursorSide - taken) +
                       " cells of columns and rows 1 to 10 are free; the party of five needs 5");
  if (computerCount > 0 && computerSpeed < 100)
    report.warn("battledb.txt", b.line,
                what + "the computer's speeds sum to " + std::to_string(computerSpeed) +
                    ", below 100: once the party falls nobody is chosen to act");
  // The slowest party the player can field, with any allies the battle lists.
  std::vector<long long> partySpeeds;
  for (int id = 1; id <= kRoster; ++id)
    if (const auto ch = c.characters.find(id); ch != c.characters.end())
      partySpeeds.push_back(speedOf(c, ch->second));
  if (partySpeeds.size() >= static_cast<std::size_t>(kParty)) {
    std::sort(partySpeeds.begin(), partySpeeds.end());
    long long party = alliedSpeed;
    for (int k = 0; k < kParty; ++k) party += partySpeeds[k];
    if (party < 100)
      report.warn("battledb.txt", b.line,
                  what + "the slowest party's speeds sum to " + std::to_string(party) +
                      ", below 100: once the opponents fall nobody is chosen to act");
  }
}

}  // namespace

void checkDatabases(const std::filesystem::path& folder, Report& report,
                    std::vector<std::string>& characterPictures) {
  Campaign c;
  c.items = parseFile(folder, "itemdb.txt", itemSchema(), report);
  c.skills = parseFile(folder, "skilldb.txt", skillSchema(), report, true);
  c.classes = parseFile(folder, "classdb.txt", raceSchema(true), report);
  c.races = parseFile(folder, "racedb.txt", raceSchema(false), report);
  c.characters = parseFile(folder, "chardb.txt", characterSchema(), report);
  c.maps =
      parseFile(folder, "mapdb.txt", {{Kind::Word, "name", 15}, {Kind::Int, "columns"}, {Kind::Int, "rows"}},
                report, false, readMapCells);
  c.battles = parseFile(folder, "battledb.txt", {{Kind::Int, "map"}}, report, false, readBattleEntries);

  for (const auto& [id, item] : c.items)
    if (item.at(kItemRange) < 0 || item.at(kItemRange) > kMaxRange)
      report.problem("itemdb.txt", item.line,
                     "item " + std::to_string(id) + ": range " + std::to_string(item.at(kItemRange)) +
                         " is outside 0 to 8");
  for (const auto& [id, skill] : c.skills) {
    if (skill.at(kSkillRange) < 0 || skill.at(kSkillRange) > kMaxRange)
      report.problem("skilldb.txt", skill.line,
                     "skill " + std::to_string(id) + ": range " + std::to_string(skill.at(kSkillRange)) +
                         " is outside 0 to 8");
    const int kind = skill.at(kSkillKind);
    if (kind < 1 || kind > 3)
      report.problem("skilldb.txt", skill.line,
                     "skill " + std::to_string(id) + ": kind " + std::to_string(kind) +
                         " is none of 1 (strengthen), 2 (damage), 3 (heal)");
  }
  for (const auto& [id, map] : c.maps) {
    const int columns = map.at(kMapColumns), rows = map.at(kMapRows);
    const std::string size = std::to_string(columns) + " x " + std::to_string(rows);
    if (columns < 1 || rows < 1 || columns > kMaxMapSide || rows > kMaxMapSide)
      report.problem("mapdb.txt", map.line,
                     "map " + std::to_string(id) + ": size " + size + " is outside 1 to 25");
    else if (columns < kCursorSide || rows < kCursorSide)
      report.warn("mapdb.txt", map.line,
                  "map " + std::to_string(id) + ": size " + size +
                      " is smaller than 10 x 10; the party may be placed off the map");
  }
  for (const auto& [id, character] : c.characters)
    if (id == 0)
      report.problem("chardb.txt", character.line, "character 0: number 0 marks a free cell on the map");

  for (int id = 1; id <= kRoster; ++id)
    if (!c.characters.contains(id))
      report.problem("chardb.txt", 0,
                     "party member " + std::to_string(id) + " is missing (the roster is 1 to 8)");
  for (int n = 1; n <= kBattles; ++n)
    if (!c.battles.contains(n))
      report.problem("battledb.txt", 0, "battle " + std::to_string(n) + " is missing");
  for (const auto& [id, battle] : c.battles) checkBattle(c, battle, report);

  std::set<int> named;
  for (int id = 1; id <= kRoster; ++id) named.insert(id);
  for (const auto& [n, battle] : c.battles)
    for (const Entry& e : battle.entries) named.insert(e.id);
  std::set<std::string> pictures;
  for (const int id : named) {
    const auto ch = c.characters.find(id);
    if (ch == c.characters.end()) continue;
    checkCharacter(c, ch->second, report);
    const std::string& picture = ch->second.value(kCharPicture).text;
    if (!picture.empty() && pictures.insert(picture).second) characterPictures.push_back(picture);
  }
}

}  // namespace varnholt::check
