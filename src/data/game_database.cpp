// The database lookups: cache first, then a scan of the record's file from its start, the fields read in
// the file's own order.

#include "data/game_database.h"

#include <cstring>

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

bool GameDatabase::openRecord(const char* fileName, int id) {
  closeInput();
  input.open(pathOf(fileName));
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
