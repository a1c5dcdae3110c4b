// The database lookups: cache first, then a scan of the record's file from its start, the fields read in
// the file's own order.

#include "data/game_database.h"

#include <cstring>

#include "content/campaign_file.h"
#include "content/content_report.h"
#include "data/record_reader.h"
#include "data/token_reader.h"

namespace varnholt {

namespace {

void setName(char (&field)[15], const char* name) {
  std::strncpy(field, name, sizeof field - 1);
  field[sizeof field - 1] = '\0';
}

template <typename Record, typename Cache, typename Reader>
Record lookup(GameDatabase& database, Cache& cache, const char* fileName, int id, Reader read) {
  const int index = cache.findId(id);
  if (index >= 0) return cache.at(index);
  Record record{};
  if (!database.openRecord(fileName, id)) return record;
  record.id = id;
  FieldReader fields(database.input);
  read(fields, record);
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
  return lookup<ItemRecord>(*this, itemCache, itemFile, id, readItemFields);
}

SkillRecord GameDatabase::getSkill(int id) {
  return lookup<SkillRecord>(*this, skillCache, skillFile, id, readSkillFields);
}

ClassRecord GameDatabase::getClass(int id) {
  return lookup<ClassRecord>(*this, classCache, classFile, id, readClassFields);
}

RaceRecord GameDatabase::getRace(int id) {
  return lookup<RaceRecord>(*this, raceCache, raceFile, id, readRaceFields);
}

Character GameDatabase::getCharacter(int id) {
  return lookup<Character>(*this, characterCache, characterFile, id, readCharacterFields);
}

MapRecord GameDatabase::getMap(int id) {
  MapRecord map;
  if (!openRecord(mapFile, id)) return map;
  map.id = id;
  FieldReader fields(input);
  readMapFields(fields, map);
  closeInput();
  return map;
}

void GameDatabase::setMemoryFile(std::string_view fileName, std::string contents) {
  closeInput();
  memoryFiles_.insert_or_assign(std::string(fileName), std::move(contents));
}

bool GameDatabase::openRecord(const char* fileName, int id) {
  closeInput();
  if (const auto memory = memoryFiles_.find(std::string_view(fileName)); memory != memoryFiles_.end()) {
    if (memory->second.size() > kMaxDatabaseFileBytes) {
      content::reportContentProblem(std::string(fileName) +
                                    " is larger than a database file may be; it is not read");
      return false;
    }
    input.openText(memory->second);
  } else {
    const std::string path = pathOf(fileName);
    if (!content::guardFile(path, kMaxDatabaseFileBytes, "a database file").readable()) return false;
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
