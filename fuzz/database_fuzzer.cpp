// One of the text databases on arbitrary text, read from memory: every record number the text names
// (and a few it may not) is looked up twice, the second time from the cache where the record kind has
// one. Built once per database, with VARNHOLT_FUZZ_DATABASE naming which.
#include <cctype>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>

#include "battle/battle_definition.h"
#include "data/game_database.h"

using namespace varnholt;

namespace {

enum class Database { Items, Skills, Classes, Races, Characters, Maps, Battles };
constexpr Database kDatabase = Database::VARNHOLT_FUZZ_DATABASE;

const char* fileOf(const GameDatabase& database) {
  switch (kDatabase) {
    case Database::Items:
      return database.itemFile;
    case Database::Skills:
      return database.skillFile;
    case Database::Classes:
      return database.classFile;
    case Database::Races:
      return database.raceFile;
    case Database::Characters:
      return database.characterFile;
    case Database::Maps:
      return database.mapFile;
    case Database::Battles:
      return database.battleFile;
  }
  return database.itemFile;
}

void lookUp(GameDatabase& database, int id) {
  switch (kDatabase) {
    case Database::Items:
      database.getItem(id);
      break;
    case Database::Skills:
      database.getSkill(id);
      break;
    case Database::Classes:
      database.getClass(id);
      break;
    case Database::Races:
      database.getRace(id);
      break;
    case Database::Characters:
      database.getCharacter(id);
      break;
    case Database::Maps:
      database.getMap(id);
      break;
    case Database::Battles:
      readBattleDefinition(database, id);
      break;
  }
}

// The numbers after the text's stars, as the record scan would read them (at most `limit` of them).
std::set<int> recordNumbers(const std::string& text, std::size_t limit) {
  std::set<int> ids;
  for (std::size_t i = 0; i < text.size() && ids.size() < limit; ++i) {
    if (text[i] != '*') continue;
    std::size_t p = i + 1;
    while (p < text.size() && std::isspace(static_cast<unsigned char>(text[p]))) ++p;
    bool negative = false;
    if (p < text.size() && (text[p] == '-' || text[p] == '+')) negative = text[p++] == '-';
    long long value = 0;
    bool digits = false;
    while (p < text.size() && std::isdigit(static_cast<unsigned char>(text[p])) && value < INT_MAX) {
      value = value * 10 + (text[p++] - '0');
      digits = true;
    }
    if (digits && value <= INT_MAX) ids.insert(static_cast<int>(negative ? -value : value));
  }
  return ids;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  GameDatabase database;
  database.setMemoryFile(fileOf(database), text);
  std::set<int> ids = recordNumbers(text, 24);
  for (const int id : {0, 1, -1, INT_MAX}) ids.insert(id);
  for (const int id : ids) lookUp(database, id);
  for (const int id : ids) lookUp(database, id);
  if (database.input.is_open()) __builtin_trap();  // every lookup closes the stream
  return 0;
}
