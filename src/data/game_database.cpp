// The database lookups: cache first, then a scan of the record's file from its start, the fields read in
// the file's own order.

#include "data/game_database.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "data/token_reader.h"
#include "platform/content_report.h"

namespace varnholt {

namespace {

// The picture line of a character ends with one more word that the game reads past.
constexpr std::size_t kUnusedWordSize = 27;

void setName(char (&field)[15], const char* name) {
  std::strncpy(field, name, sizeof field - 1);
  field[sizeof field - 1] = '\0';
}

template <std::size_t N>
void readDoubles(std::istream& in, double (&values)[N]) {
  for (double& value : values) readDouble(in, value);
}

template <std::size_t N>
void readInts(std::istream& in, int (&values)[N]) {
  for (int& value : values) readInt(in, value);
}

// Ints up to the -1 that ends the list; a read that fails ends it as well.
void readIdList(std::istream& in, IdList& list) {
  int value = 0;
  while (readInt(in, value) && value != -1) list.add(value);
}

void readItem(std::istream& in, ItemRecord& item) {
  readWord(in, item.name);
  readInt(in, item.atk);
  readInt(in, item.matk);
  readInt(in, item.def);
  readInt(in, item.mdef);
  readDoubles(in, item.elementPower);
  readDoubles(in, item.statusChance);
  readDoubles(in, item.elementResist);
  readDoubles(in, item.statusResist);
  readInts(in, item.reserved);
  readInt(in, item.aspd);
  readInt(in, item.flee);
  readInt(in, item.hit);
  readInt(in, item.range);
}

void readSkill(std::istream& in, SkillRecord& skill) {
  readWord(in, skill.name);
  readInt(in, skill.hpCost);
  readInt(in, skill.spCost);
  readInt(in, skill.atk);
  readInt(in, skill.matk);
  readInt(in, skill.def);
  readInt(in, skill.mdef);
  readDoubles(in, skill.elementPower);
  readDoubles(in, skill.statusChance);
  readDoubles(in, skill.elementResist);
  readDoubles(in, skill.statusResist);
  readInt(in, skill.range);
  readInt(in, skill.reserved);
  readDouble(in, skill.atkFactor);
  readDouble(in, skill.matkFactor);
  readInt(in, skill.kind);
  readDescription(in, skill.description, sizeof skill.description);
}

void readClass(std::istream& in, ClassRecord& record) {
  readWord(in, record.name);
  readInts(in, record.growth);
  readDouble(in, record.hpFactor);
  readDouble(in, record.spFactor);
  readIdList(in, record.classSkills);
  readInt(in, record.moveRange);
  readInt(in, record.reserved);
}

void readRace(std::istream& in, RaceRecord& record) {
  readWord(in, record.name);
  readInts(in, record.growth);
  readDouble(in, record.hpFactor);
  readDouble(in, record.spFactor);
  readInt(in, record.moveRange);
  readInt(in, record.reserved);
}

void readCharacter(std::istream& in, Character& character) {
  readWord(in, character.name);
  readInt(in, character.raceId);
  readInt(in, character.classId);
  readInt(in, character.strength);
  readInt(in, character.vitality);
  readInt(in, character.dexterity);
  readInt(in, character.intelligence);
  readInt(in, character.agility);
  readInt(in, character.mind);
  readInt(in, character.level);
  readInt(in, character.exp);
  readIdList(in, character.skills);
  readInts(in, character.equipment);
  readWord(in, character.pictureFile);
  char unused[kUnusedWordSize];
  readWord(in, unused);
}

// The layers take the cells inside 25 x 25; values beyond a larger declared size are read and dropped so
// the stream stays on the record's end, and a read that fails leaves the rest 0.
void readMap(std::istream& in, MapRecord& map) {
  readWord(in, map.name);
  int declaredColumns = 0;
  int declaredRows = 0;
  readInt(in, declaredColumns);
  readInt(in, declaredRows);
  map.columns = std::clamp(declaredColumns, 0, kMaxMapSide);
  map.rows = std::clamp(declaredRows, 0, kMaxMapSide);
  if (declaredColumns <= 0 || declaredRows <= 0) return;
  for (int column = 1; column <= declaredColumns; ++column) {
    for (int row = 1; row <= declaredRows; ++row) {
      int value = 0;
      if (!readInt(in, value)) return;
      if (column <= kMaxMapSide && row <= kMaxMapSide) {
        map.occupancy[column][row] = 0;
        map.terrain[column][row] = value;
      }
    }
  }
}

template <typename Record, typename Cache, typename Reader>
Record lookup(GameDatabase& database, Cache& cache, const char* fileName, int id, Reader read) {
  const int index = cache.findId(id);
  if (index >= 0) return cache.at(index);
  Record record{};
  if (!database.openRecord(fileName, id)) return record;
  record.id = id;
  read(database.input, record);
  database.closeInput();
  cache.add(record);
  return record;
}

}  // namespace

GameDatabase::GameDatabase() {
  setName(characterFile, "chardb.txt");
  setName(itemFile, "itemdb.txt");
  setName(classFile, "classdb.txt");
  setName(skillFile, "skilldb.txt");
  setName(raceFile, "racedb.txt");
  setName(mapFile, "mapdb.txt");
  setName(battleFile, "battledb.txt");
}

ItemRecord GameDatabase::getItem(int id) {
  return lookup<ItemRecord>(*this, itemCache, itemFile, id, readItem);
}

SkillRecord GameDatabase::getSkill(int id) {
  return lookup<SkillRecord>(*this, skillCache, skillFile, id, readSkill);
}

ClassRecord GameDatabase::getClass(int id) {
  return lookup<ClassRecord>(*this, classCache, classFile, id, readClass);
}

RaceRecord GameDatabase::getRace(int id) {
  return lookup<RaceRecord>(*this, raceCache, raceFile, id, readRace);
}

Character GameDatabase::getCharacter(int id) {
  return lookup<Character>(*this, characterCache, characterFile, id, readCharacter);
}

MapRecord GameDatabase::getMap(int id) {
  MapRecord map;
  if (!openRecord(mapFile, id)) return map;
  map.id = id;
  readMap(input, map);
  closeInput();
  return map;
}

namespace {

// Whether the file at `path` may be read: a regular file of at most kMaxDatabaseFileBytes. A missing
// file is simply not there; anything else that stands in the way is reported.
bool readableDatabase(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (!fs::exists(status)) return false;
  if (!fs::is_regular_file(status)) {
    platform::reportContentProblem(path + " is not a regular file; it is not read");
    return false;
  }
  const std::uintmax_t size = fs::file_size(path, error);
  if (error) return false;
  if (size > kMaxDatabaseFileBytes) {
    platform::reportContentProblem(path + " is " + std::to_string(size) + " bytes, more than the " +
                                   std::to_string(kMaxDatabaseFileBytes) +
                                   " a database file may have; it is not read");
    return false;
  }
  return true;
}

}  // namespace

void GameDatabase::setMemoryFile(std::string_view fileName, std::string contents) {
  closeInput();
  memoryFiles_.insert_or_assign(std::string(fileName), std::move(contents));
}

bool GameDatabase::openRecord(const char* fileName, int id) {
  closeInput();
  if (const auto memory = memoryFiles_.find(std::string_view(fileName)); memory != memoryFiles_.end()) {
    if (memory->second.size() > kMaxDatabaseFileBytes) {
      platform::reportContentProblem(std::string(fileName) +
                                     " is larger than a database file may be; it is not read");
      return false;
    }
    input.openText(memory->second);
  } else {
    const std::string path = pathOf(fileName);
    if (!readableDatabase(path)) return false;
    input.open(path);
  }
  if (!input.is_open()) {
    input.clear();
    return false;
  }
  if (!scanToRecord(input, id)) {
    closeInput();
    return false;
  }
  return true;
}

void GameDatabase::closeInput() {
  if (input.is_open()) input.close();
  input.clear();
}

std::string GameDatabase::pathOf(const char* fileName) const {
  if (baseDirectory.empty()) return fileName;
  return baseDirectory + "/" + fileName;
}

void GameDatabase::clearCaches() {
  itemCache.clear();
  characterCache.clear();
  skillCache.clear();
  classCache.clear();
  raceCache.clear();
}

}  // namespace varnholt
