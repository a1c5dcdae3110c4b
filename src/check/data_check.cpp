// The seven databases, read with the game's own reader: each file scanned for its records as the game's
// lookups scan it, each record read field by field by the game's record layouts with an observer that
// reports a field the game cannot read (or cuts) at its line; then the records checked against one
// another and against what the battles, the grid and the sprites need, with the statistics the game
// derives itself.

#include <algorithm>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <string_view>
#include <utility>

#include "battle/battle.h"
#include "battle/battle_definition.h"
#include "check/content_check.h"
#include "content/campaign_file.h"
#include "data/campaign_pictures.h"
#include "data/game_database.h"
#include "data/grid_geometry.h"
#include "data/record_reader.h"
#include "data/records.h"
#include "data/token_reader.h"
#include "flow/game_flow_state.h"
#include "flow/screen_rules.h"

namespace varnholt::check {
namespace {

// The longest range a weapon, a skill or a move may have: the cells a fill marks grow quickly with it,
// and beyond this a marked set no longer shows every cell in reach.
constexpr int kMaxRange = 8;

// The text of a file with its line numbers.
class FileText {
 public:
  explicit FileText(std::string bytes) : bytes_(std::move(bytes)) {}

  const std::string& bytes() const { return bytes_; }

  // The line holding `offset`; for -1 (the end of the input) the last line that holds anything.
  int lineAt(std::streamoff offset) const {
    std::size_t end = offset < 0 ? bytes_.find_last_not_of(" \t\r\n\f\v") : static_cast<std::size_t>(offset);
    if (end == std::string::npos) return bytes_.empty() ? 0 : 1;
    end = std::min(end, bytes_.size());
    return 1 + static_cast<int>(
                   std::count(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(end), '\n'));
  }

  // The characters from `start` to `end`, or up to the next blank when `end` is -1.
  std::string_view text(std::streamoff start, std::streamoff end = -1) const {
    if (start < 0 || static_cast<std::size_t>(start) >= bytes_.size()) return {};
    const auto from = static_cast<std::size_t>(start);
    std::size_t to = end >= 0 ? std::min(static_cast<std::size_t>(end), bytes_.size())
                              : bytes_.find_first_of(" \t\r\n\f\v", from);
    if (to == std::string::npos) to = bytes_.size();
    return std::string_view(bytes_).substr(from, to - from);
  }

  // The blank-separated word around `offset`.
  std::string_view wordAround(std::size_t offset) const {
    const std::size_t before = bytes_.find_last_of(" \t\r\n\f\v", offset);
    return text(static_cast<std::streamoff>(before == std::string::npos ? 0 : before + 1));
  }

 private:
  std::string bytes_;
};

// A piece of the file's text as a message shows it: quoted, and cut where a long run of bytes (a word
// of thousands of characters, say) would drown the message.
std::string quoted(std::string_view text) {
  constexpr std::size_t kMaxQuoted = 40;
  if (text.size() > kMaxQuoted) return "'" + std::string(text.substr(0, kMaxQuoted)) + "...'";
  return "'" + std::string(text) + "'";
}

// Reports the first field of a record the game cannot read, and every word it cuts or that holds a star.
class FieldCheck : public FieldObserver {
 public:
  FieldCheck(std::string file, const FileText& text, int id, Report& report)
      : file_(std::move(file)), text_(text), id_(id), report_(report) {}

  void fieldRead(const FieldRead& read) override {
    if (failed_) return;
    if (read.kind == FieldKind::DescriptionWord) return descriptionWord(read);
    if (read.end < 0) {
      failed_ = true;
      if (read.start < 0) return endsEarly(read);
      const char* expected =
          read.kind == FieldKind::Double ? " should be a number, found " : " should be an int, found ";
      return problem(read.start, label(read) + expected + quoted(text_.text(read.start)), read.name);
    }
    if (read.kind == FieldKind::Word) {
      const std::string_view word = text_.text(read.start, read.end);
      if (word.size() > read.capacity)
        problem(read.start,
                label(read) + " " + quoted(word) + " is longer than " + std::to_string(read.capacity) +
                    " characters",
                read.name);
      if (word.find('*') != std::string_view::npos)
        problem(
            read.start,
            label(read) + " " + quoted(word) + " holds a '*', which the game takes for the start of a record",
            read.name);
    }
    afterField(read);
  }

  // The entries of the record's id list, before the closing -1.
  int listLength() const { return listLength_; }
  // The value of the int field last read under `name`.
  std::optional<int> intField(std::string_view name) const {
    const auto it = ints_.find(std::string(name));
    return it == ints_.end() ? std::nullopt : std::optional<int>(it->second);
  }

 protected:
  virtual std::string label(const FieldRead& read) const {
    std::string name = read.name;
    // Repeated fields are told apart by their place; a list's entries, ended by -1, are not.
    if (name == kSkillListField) return name + " (ended by -1)";
    if (read.index > 0) name += " " + std::to_string(read.index);
    if (read.count > 0) name += " of " + std::to_string(read.count);
    return name;
  }
  virtual void afterField(const FieldRead& read) {
    if (read.kind != FieldKind::Int) return;
    ints_[read.name] = read.value;
    // An id list's closing -1 is its last read.
    if (read.value == -1 && std::string_view(read.name) == kSkillListField)
      listLength_ = static_cast<int>(read.index - 1);
  }

  void problem(std::streamoff at, const std::string& message, std::string field = {}) {
    report_.problem(file_, text_.lineAt(at), "record " + std::to_string(id_) + ": " + message,
                    std::move(field));
  }

 private:
  void endsEarly(const FieldRead& read) { problem(-1, "the file ends before its " + label(read), read.name); }

  // A description's words: the first as it comes, the rest up to a lone "*".
  void descriptionWord(const FieldRead& read) {
    if (read.end < 0) {
      failed_ = true;
      if (read.index == 0) return endsEarly(read);
      return problem(-1, "the description is not ended by a lone '*'", read.name);
    }
    const std::string_view word = text_.text(read.start, read.end);
    if (read.index == 0) {
      descriptionStart_ = read.start;
      descriptionCapacity_ = read.capacity;
      if (word == "*") {
        failed_ = true;
        return problem(read.start, "the description is empty; the game would take the '*' as its text",
                       read.name);
      }
      descriptionLength_ = word.size();
      return;
    }
    if (word == "*") {
      if (descriptionLength_ > descriptionCapacity_)
        problem(descriptionStart_,
                "the description is " + std::to_string(descriptionLength_) +
                    " characters long; the skill list holds " + std::to_string(descriptionCapacity_),
                read.name);
      return;
    }
    if (word.find('*') != std::string_view::npos)
      problem(read.start,
              "description word " + quoted(word) +
                  " holds a '*'; the star that opens the next record must stand apart from its number",
              read.name);
    if (word.size() > read.capacity)
      problem(read.start,
              "description word " + quoted(word) + " is longer than " + std::to_string(read.capacity) +
                  " characters",
              read.name);
    descriptionLength_ += 1 + word.size();
  }

  std::string file_;
  const FileText& text_;
  int id_;
  Report& report_;
  bool failed_ = false;
  std::map<std::string, int> ints_;
  int listLength_ = 0;
  std::streamoff descriptionStart_ = -1;
  std::size_t descriptionLength_ = 0;
  std::size_t descriptionCapacity_ = 0;
};

// A battle's entries: their lines, and each field named after the character it places.
class BattleFieldCheck : public FieldCheck {
 public:
  using FieldCheck::FieldCheck;

  std::vector<std::streamoff> entryStarts;  // where each entry's character stands

 protected:
  std::string label(const FieldRead& read) const override {
    if (std::string_view(read.name) == kBattleEntryIdField) return "next character (or the closing 0)";
    if (entryStarts.empty()) return read.name;
    return std::string(read.name) + " of character " + std::to_string(lastId_);
  }
  void afterField(const FieldRead& read) override {
    FieldCheck::afterField(read);
    if (std::string_view(read.name) == kBattleEntryIdField) {
      entryStarts.push_back(read.start);
      lastId_ = read.value;
    }
  }

 private:
  int lastId_ = 0;
};

// Where the game's scan finds a record number.
struct RecordStart {
  int id = 0;
  int line = 0;
};

// The records of a file in the order the scan finds them. A '*' that no number follows ends every scan
// there, so records after it are out of the game's reach and are not listed.
std::optional<std::vector<RecordStart>> scanRecords(GameDatabase& database, const char* file,
                                                    const FileText& text, bool lastStarEndsADescription,
                                                    Report& report) {
  std::ifstream in(database.pathOf(file));
  if (!in) return std::nullopt;
  std::vector<RecordStart> starts;
  std::size_t from = 0;
  for (int id = 0;;) {
    const std::size_t star = text.bytes().find('*', from);
    if (!scanToNextRecord(in, id)) {
      if (star == std::string::npos) break;
      const std::string_view word = text.wordAround(star);
      const bool finalStar = lastStarEndsADescription && word == "*" &&
                             text.bytes().find_first_not_of(" \t\r\n\f\v", star + 1) == std::string::npos;
      if (!finalStar)
        report.problem(
            file, text.lineAt(static_cast<std::streamoff>(star)),
            quoted(word) +
                " holds a '*' not followed by a record number; the game stops looking for records there");
      break;
    }
    starts.push_back({id, text.lineAt(static_cast<std::streamoff>(star))});
    const auto after = in.rdbuf()->pubseekoff(0, std::ios::cur, std::ios::in);
    from = after < 0 ? text.bytes().size() : static_cast<std::size_t>(after);
  }
  return starts;
}

template <typename Record>
struct Read {
  Record record;
  int line = 0;
  int listed = 0;  // the entries of the record's id list, kept or not
};
template <typename Record>
using Table = std::map<int, Read<Record>>;

// Every record of a file, each read the way the game's lookup reads it: the scan from the file's start to
// the first '*' with its number, then the record's layout. `read` reads the layout with a FieldCheck.
template <typename Record, typename ReadLayout>
Table<Record> readTable(GameDatabase& database, const char* file, Report& report, bool descriptions,
                        ReadLayout read) {
  Table<Record> table;
  const content::FileFacts facts = content::inspectFile(database.pathOf(file), kMaxDatabaseFileBytes);
  if (facts.state == content::FileState::TooLarge) {
    report.problem(file, 0, tooLargeProblem(facts, "a database"));
    return table;
  }
  const auto bytes = content::readFileBytes(database.pathOf(file), facts);
  if (!bytes) {
    report.problem(file, 0, "missing or unreadable");
    return table;
  }
  const FileText text(*bytes);
  const auto starts = scanRecords(database, file, text, descriptions, report);
  if (!starts) {
    report.problem(file, 0, "missing or unreadable");
    return table;
  }
  for (const RecordStart& start : *starts) {
    if (const auto first = table.find(start.id); first != table.end()) {
      report.problem(file, start.line,
                     "record " + std::to_string(start.id) + " repeats the number of the record at line " +
                         std::to_string(first->second.line) + "; the game only ever finds the first");
      continue;
    }
    Read<Record> entry{Record{}, start.line};
    read(text, start, entry);
    table.emplace(start.id, entry);
  }
  return table;
}

// The layout reader of a record file, run through the game's database on its own stream.
template <typename Record, typename Layout>
auto layoutReader(GameDatabase& database, const char* file, Report& report, Layout layout) {
  return
      [&database, file, &report, layout](const FileText& text, const RecordStart& start, Read<Record>& read) {
        if (!database.openRecord(file, start.id)) return;
        FieldCheck check(file, text, start.id, report);
        FieldReader fields(database.input, &check);
        read.record.id = start.id;
        layout(fields, read.record);
        database.closeInput();
        read.listed = check.listLength();
      };
}

// Every record of a file read with its layout.
template <typename Record, typename Layout>
Table<Record> readRecords(GameDatabase& database, const char* file, Report& report, bool descriptions,
                          Layout layout) {
  return readTable<Record>(database, file, report, descriptions,
                           layoutReader<Record>(database, file, report, layout));
}

struct Campaign {
  Table<ItemRecord> items;
  Table<SkillRecord> skills;
  Table<ClassRecord> classes;
  Table<RaceRecord> races;
  Table<Character> characters;
  std::map<int, std::pair<int, int>> mapSizes;  // the size each map's record declares
  Table<MapRecord> maps;
  std::map<int, Character> derived;  // characters with the statistics the game derives for them
};

// The character as the game fights with it: its statistics derived by the game's own formulas.
const Character& derived(Campaign& c, GameDatabase& database, int id) {
  auto it = c.derived.find(id);
  if (it == c.derived.end()) {
    Character character = database.getCharacter(id);
    character.computeDerived(database);
    it = c.derived.emplace(id, character).first;
  }
  return it->second;
}

void checkCharacter(Campaign& c, GameDatabase& database, const Read<Character>& read, Report& report) {
  constexpr int kSkillSlots = IdList::capacity();
  const Character& ch = read.record;
  const int line = read.line;
  const std::string who = "character " + std::to_string(ch.id) + ": ";
  const bool raceKnown = c.races.contains(ch.raceId), classKnown = c.classes.contains(ch.classId);
  if (!raceKnown)
    report.problem("chardb.txt", line, who + "race " + std::to_string(ch.raceId) + " is not in racedb.txt",
                   "race");
  if (!classKnown)
    report.problem("chardb.txt", line, who + "class " + std::to_string(ch.classId) + " is not in classdb.txt",
                   "class");
  for (int k = 0; k < ch.skills.count(); ++k)
    if (!c.skills.contains(ch.skills.at(k)))
      report.problem("chardb.txt", line,
                     who + "skill " + std::to_string(ch.skills.at(k)) + " is not in skilldb.txt",
                     kSkillListField);
  if (read.listed > kSkillSlots)
    report.warn("chardb.txt", line,
                who + "lists " + std::to_string(read.listed) + " skills; only the last " +
                    std::to_string(kSkillSlots) + " are kept",
                kSkillListField);
  for (int slot = 0; slot < kEquipmentSlots; ++slot) {
    const int item = ch.equipment[slot];
    if (!c.items.contains(item))
      report.problem("chardb.txt", line,
                     who + "item " + std::to_string(item) + " in equipment slot " + std::to_string(slot + 1) +
                         " is not in itemdb.txt",
                     "equipment slot");
  }
  const Character& fighter = derived(c, database, ch.id);
  if (raceKnown && classKnown && (fighter.moveRange < 0 || fighter.moveRange > kMaxRange))
    report.problem("chardb.txt", line,
                   who + "move range " + std::to_string(fighter.moveRange) +
                       " (race plus class) is outside 0 to " + std::to_string(kMaxRange));
  const int weapon = ch.weapon();
  if (const auto item = c.items.find(weapon); item != c.items.end() && item->second.record.range < 1)
    report.warn("chardb.txt", line, who + "the weapon's range is 0, so it cannot strike a neighbour",
                "equipment slot");
  if (weapon < pictures::swings::kFirstWeapon || weapon > pictures::swings::kLastWeapon)
    report.warn("chardb.txt", line,
                who + "weapon " + std::to_string(weapon) + " has no swing picture (only weapons " +
                    std::to_string(pictures::swings::kFirstWeapon) + " to " +
                    std::to_string(pictures::swings::kLastWeapon) + " have one)",
                "equipment slot");
  if (fighter.flee < 1)
    report.problem("chardb.txt", line,
                   who + "flee " + std::to_string(fighter.flee) + " is below 1; the hit roll divides by it");
}

struct BattleRead {
  BattleDefinition definition;
  int line = 0;
  std::vector<int> entryLines;
};

// The rules one battle's record must meet, each a function of its own. check() runs them in a fixed
// order (the record as a whole, then each entry in turn, then the battle as it plays), which is the order
// the findings come out in.
class BattleCheck {
 public:
  BattleCheck(Campaign& c, GameDatabase& database, int number, const BattleRead& b, Report& report)
      : c_(c),
        database_(database),
        b_(b),
        definition_(b.definition),
        report_(report),
        what_("battle " + std::to_string(number) + ": "),
        map_(c.maps.find(b.definition.mapId)) {}

  void check() {
    mapIsKnown();
    combatantsFit();
    for (std::size_t k = 0; k < definition_.entries.size(); ++k) {
      const BattleEntry& e = definition_.entries[k];
      const int line = k < b_.entryLines.size() ? b_.entryLines[k] : b_.line;
      const std::string who = what_ + "character " + std::to_string(e.characterId);
      notAPartyMember(e, line, who);
      listedOnce(e, line, who);
      characterIsKnown(e, line, who);
      countSpeed(e);
      standsOnTheMap(e, line, who);
      hasACellOfItsOwn(e, line, who);
      withinTheCursorsReach(e, line, who);
    }
    partyHasRoom();
    computerCanAct();
    slowestPartyCanAct();
  }

 private:
  static constexpr int kParty = GameFlowState::partySize;

  bool mapKnown() const { return map_ != c_.maps.end(); }
  static std::string cellText(const BattleEntry& e) {
    return "(" + std::to_string(e.column) + ", " + std::to_string(e.row) + ")";
  }
  void problem(int line, const std::string& message, std::string field = {}) {
    report_.problem("battledb.txt", line, message, std::move(field));
  }
  void warn(int line, const std::string& message) { report_.warn("battledb.txt", line, message); }

  void mapIsKnown() {
    if (!mapKnown())
      problem(b_.line, what_ + "map " + std::to_string(definition_.mapId) + " is not in mapdb.txt", "map");
  }

  // The entries the record may list, and the sprite slots they and the party take.
  void combatantsFit() {
    const int listed = definition_.listed;
    if (listed > kMaxBattleEntries)
      problem(b_.line, what_ + std::to_string(listed) + " combatants listed; a battle lists at most " +
                           std::to_string(kMaxBattleEntries));
    else if (listed + kParty > kUnitSpriteSlots)
      problem(b_.line, what_ + std::to_string(listed) + " combatants listed; with the party of " +
                           std::to_string(kParty) + " that is more than the " +
                           std::to_string(kUnitSpriteSlots) + " a battle holds");
  }

  void notAPartyMember(const BattleEntry& e, int line, const std::string& who) {
    if (e.characterId >= 1 && e.characterId <= kSelectionSlots)
      problem(line, who + " has a party member's number (1 to " + std::to_string(kSelectionSlots) + ")",
              kBattleEntryIdField);
  }

  void listedOnce(const BattleEntry& e, int line, const std::string& who) {
    if (!seen_.insert(e.characterId).second) problem(line, who + " is listed twice", kBattleEntryIdField);
  }

  void characterIsKnown(const BattleEntry& e, int line, const std::string& who) {
    if (!c_.characters.contains(e.characterId))
      problem(line, who + " is not in chardb.txt", kBattleEntryIdField);
  }

  // The speeds of the known characters, by side, for the turn-cycle rules below.
  void countSpeed(const BattleEntry& e) {
    if (!c_.characters.contains(e.characterId)) return;
    const long long speed = derived(c_, database_, e.characterId).aspd;
    if (e.side == kPlayerSide) {
      alliedSpeed_ += speed;
    } else {
      computerSpeed_ += speed;
      ++computerCount_;
    }
  }

  void standsOnTheMap(const BattleEntry& e, int line, const std::string& who) {
    if (!mapKnown()) return;
    const int columns = map_->second.record.columns, rows = map_->second.record.rows;
    if (e.column < 1 || e.row < 1 || e.column > columns || e.row > rows)
      problem(line,
              who + " stands at " + cellText(e) + ", off the map's " + std::to_string(columns) + " x " +
                  std::to_string(rows) + " cells",
              e.column < 1 || e.column > columns ? "column" : "row");
  }

  void hasACellOfItsOwn(const BattleEntry& e, int line, const std::string& who) {
    if (const auto [it, added] = cells_.emplace(std::pair{e.column, e.row}, e.characterId); !added)
      problem(line, who + " shares cell " + cellText(e) + " with character " + std::to_string(it->second));
  }

  void withinTheCursorsReach(const BattleEntry& e, int line, const std::string& who) {
    if (e.column < 1 || e.row < 1 || e.column > kGridCells || e.row > kGridCells)
      warn(line, who + " at " + cellText(e) + " is outside columns and rows 1 to " +
                     std::to_string(kGridCells) + ", where the grid cursor cannot reach");
  }

  // The party is placed on free cells of the map among columns and rows 1 to 10, by the game's own
  // placement rule.
  void partyHasRoom() {
    if (!mapKnown()) return;
    MapRecord field = map_->second.record;
    for (const BattleEntry& e : definition_.entries)
      if (e.column >= 1 && e.row >= 1 && e.column <= field.columns && e.row <= field.rows &&
          c_.characters.contains(e.characterId))
        field.occupancy[e.column][e.row] = e.characterId;
    int free = 0;
    for (int column = 1; column <= kGridCells; ++column)
      for (int row = 1; row <= kGridCells; ++row) free += isPlacementCell(field, column, row);
    if (free < kParty)
      problem(b_.line, what_ + "only " + std::to_string(free) +
                           " cells of the map within columns and rows 1 to " + std::to_string(kGridCells) +
                           " are free; the party of " + std::to_string(kParty) + " needs " +
                           std::to_string(kParty));
  }

  // The turn cycle picks whoever brings the running speed total to kTurnSpeed (chooseNextCombatant).
  void computerCanAct() {
    if (computerCount_ > 0 && computerSpeed_ < kTurnSpeed)
      warn(b_.line, what_ + "the computer's speeds sum to " + std::to_string(computerSpeed_) + ", below " +
                        std::to_string(kTurnSpeed) + ": once the party falls nobody is chosen to act");
  }

  // The slowest party the player can field, with any allies the battle lists.
  void slowestPartyCanAct() {
    std::vector<long long> partySpeeds;
    for (int id = 1; id <= kSelectionSlots; ++id)
      if (c_.characters.contains(id)) partySpeeds.push_back(derived(c_, database_, id).aspd);
    if (partySpeeds.size() < static_cast<std::size_t>(kParty)) return;
    std::sort(partySpeeds.begin(), partySpeeds.end());
    long long party = alliedSpeed_;
    for (int k = 0; k < kParty; ++k) party += partySpeeds[k];
    if (party < kTurnSpeed)
      warn(b_.line, what_ + "the slowest party's speeds sum to " + std::to_string(party) + ", below " +
                        std::to_string(kTurnSpeed) + ": once the opponents fall nobody is chosen to act");
  }

  Campaign& c_;
  GameDatabase& database_;
  const BattleRead& b_;
  const BattleDefinition& definition_;
  Report& report_;
  const std::string what_;
  const Table<MapRecord>::const_iterator map_;
  std::set<int> seen_;
  std::map<std::pair<int, int>, int> cells_;
  long long computerSpeed_ = 0, alliedSpeed_ = 0;
  int computerCount_ = 0;
};

void checkBattle(Campaign& c, GameDatabase& database, int number, const BattleRead& b, Report& report) {
  BattleCheck(c, database, number, b, report).check();
}

}  // namespace

void checkDatabases(const std::filesystem::path& folder, Report& report,
                    std::vector<std::string>& characterPictures) {
  GameDatabase database;
  database.baseDirectory = folder.string();
  Campaign c;
  c.items = readRecords<ItemRecord>(database, database.itemFile, report, false, readItemFields);
  c.skills = readRecords<SkillRecord>(database, database.skillFile, report, true, readSkillFields);
  c.classes = readRecords<ClassRecord>(database, database.classFile, report, false, readClassFields);
  c.races = readRecords<RaceRecord>(database, database.raceFile, report, false, readRaceFields);
  c.characters = readRecords<Character>(database, database.characterFile, report, false, readCharacterFields);
  c.maps = readTable<MapRecord>(
      database, database.mapFile, report, false,
      [&](const FileText& text, const RecordStart& start, Read<MapRecord>& read) {
        if (!database.openRecord(database.mapFile, start.id)) return;
        FieldCheck check(database.mapFile, text, start.id, report);
        FieldReader fields(database.input, &check);
        read.record.id = start.id;
        readMapFields(fields, read.record);
        database.closeInput();
        c.mapSizes[start.id] = {check.intField("columns").value_or(0), check.intField("rows").value_or(0)};
      });
  std::map<int, BattleRead> battles;
  readTable<int>(database, database.battleFile, report, false,
                 [&](const FileText& text, const RecordStart& start, Read<int>&) {
                   BattleFieldCheck check(database.battleFile, text, start.id, report);
                   BattleRead read;
                   read.line = start.line;
                   read.definition = readBattleDefinition(database, start.id, &check);
                   for (const std::streamoff at : check.entryStarts)
                     read.entryLines.push_back(text.lineAt(at));
                   battles[start.id] = std::move(read);
                 });

  for (const auto& [id, item] : c.items)
    if (item.record.range < 0 || item.record.range > kMaxRange)
      report.problem("itemdb.txt", item.line,
                     "item " + std::to_string(id) + ": range " + std::to_string(item.record.range) +
                         " is outside 0 to " + std::to_string(kMaxRange),
                     "range");
  for (const auto& [id, skill] : c.skills) {
    if (skill.record.range < 0 || skill.record.range > kMaxRange)
      report.problem("skilldb.txt", skill.line,
                     "skill " + std::to_string(id) + ": range " + std::to_string(skill.record.range) +
                         " is outside 0 to " + std::to_string(kMaxRange),
                     "range");
    const int kind = skill.record.kind;
    if (kind != kSkillBuff && kind != kSkillDamage && kind != kSkillHeal)
      report.problem("skilldb.txt", skill.line,
                     "skill " + std::to_string(id) + ": kind " + std::to_string(kind) + " is none of " +
                         std::to_string(kSkillBuff) + " (strengthen), " + std::to_string(kSkillDamage) +
                         " (damage), " + std::to_string(kSkillHeal) + " (heal)",
                     "kind");
  }
  for (const auto& [id, map] : c.maps) {
    const auto [columns, rows] = c.mapSizes[id];
    const std::string size = std::to_string(columns) + " x " + std::to_string(rows);
    if (columns < 1 || rows < 1 || columns > kMaxMapSide || rows > kMaxMapSide)
      report.problem(
          "mapdb.txt", map.line,
          "map " + std::to_string(id) + ": size " + size + " is outside 1 to " + std::to_string(kMaxMapSide),
          columns < 1 || columns > kMaxMapSide ? "columns" : "rows");
    else if (columns < kGridCells || rows < kGridCells)
      report.warn("mapdb.txt", map.line,
                  "map " + std::to_string(id) + ": size " + size + " is smaller than " +
                      std::to_string(kGridCells) + " x " + std::to_string(kGridCells) +
                      "; fewer cells are left for placing the party");
  }
  if (const auto zero = c.characters.find(0); zero != c.characters.end())
    report.problem("chardb.txt", zero->second.line, "character 0: number 0 marks a free cell on the map");

  for (int id = 1; id <= kSelectionSlots; ++id)
    if (!c.characters.contains(id))
      report.problem("chardb.txt", 0,
                     "party member " + std::to_string(id) + " is missing (the roster is 1 to " +
                         std::to_string(kSelectionSlots) + ")");
  for (int n = 1; n <= kLastBattle; ++n)
    if (!battles.contains(n))
      report.problem("battledb.txt", 0, "battle " + std::to_string(n) + " is missing");
  for (const auto& [number, battle] : battles) checkBattle(c, database, number, battle, report);

  std::set<int> named;
  for (int id = 1; id <= kSelectionSlots; ++id) named.insert(id);
  for (const auto& [number, battle] : battles)
    for (const BattleEntry& e : battle.definition.entries) named.insert(e.characterId);
  std::set<std::string> pictures;
  for (const int id : named) {
    const auto ch = c.characters.find(id);
    if (ch == c.characters.end()) continue;
    checkCharacter(c, database, ch->second, report);
    const std::string picture = ch->second.record.pictureFile;
    if (!picture.empty() && pictures.insert(picture).second) characterPictures.push_back(picture);
  }
}

}  // namespace varnholt::check
