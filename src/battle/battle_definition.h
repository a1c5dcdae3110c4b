#pragma once
// Battle definitions: reading one battle of "battledb.txt" (its map and the combatants placed by the
// campaign) into the Battle.

#include <vector>

#include "battle/battle.h"
#include "data/token_reader.h"

namespace varnholt {

// The campaign's battles are 1 to kLastBattle, fought in turn; winning the last one ends the campaign.
inline constexpr int kLastBattle = 5;

// A battle lists at most this many combatants; further entries are read past and ignored.
inline constexpr int kMaxBattleEntries = 12;

// The name a FieldObserver is told for the int that opens each entry (or closes the list).
inline constexpr const char* kBattleEntryIdField = "character";

struct BattleEntry {
  int characterId = 0;
  int column = 0;
  int row = 0;
  int side = 0;
};

struct BattleDefinition {
  bool found = false;
  int mapId = 0;
  std::vector<BattleEntry> entries;  // in file order, at most kMaxBattleEntries
  int listed = 0;                    // entries the record lists, kept or not
};

// Reads battle `number` from the database's battle file through its shared stream. `found` is false when
// the file or the number is missing. An observer is told of every field read (see FieldReader).
BattleDefinition readBattleDefinition(GameDatabase& database, int number, FieldObserver* observer = nullptr);

// Loads battle `number`: its map, then its combatants in file order through addCombatant. Combatants
// already in the battle stay (the caller clears them first). An entry whose cell lies outside the map or
// is already taken, whose character is missing, or for which no unit sprite slot is left, is skipped. A
// battle the file lacks (or a missing file) gives an empty battle on an empty map.
void loadBattle(Battle& battle, int number);

}  // namespace varnholt
