// Reading a battle of "battledb.txt" and bringing its map and combatants into the Battle.

#include "battle/battle_definition.h"

#include "data/token_reader.h"

namespace varnholt {

BattleDefinition readBattleDefinition(GameDatabase& database, int number, FieldObserver* observer) {
  BattleDefinition definition;
  if (!database.openRecord(database.battleFile, number)) return definition;
  FieldReader input(database.input, observer);
  if (input.readInt(definition.mapId, "map")) {
    definition.found = true;
    int characterId = 0;
    // A field that does not parse ends the list, as the terminating 0 does.
    while (input.readInt(characterId, kBattleEntryIdField) && characterId != 0) {
      BattleEntry entry;
      entry.characterId = characterId;
      if (!input.readInt(entry.column, "column") || !input.readInt(entry.row, "row") ||
          !input.readInt(entry.side, "side"))
        break;
      ++definition.listed;
      if (static_cast<int>(definition.entries.size()) < kMaxBattleEntries)
        definition.entries.push_back(entry);
    }
  }
  // Closed before the map and the characters are looked up: those lookups use the same stream.
  database.closeInput();
  return definition;
}

void loadBattle(Battle& battle, int number) {
  const BattleDefinition definition = readBattleDefinition(battle.database(), number);
  if (!definition.found) {
    battle.loadEmptyMap();
    return;
  }
  battle.loadMap(definition.mapId);
  for (const BattleEntry& entry : definition.entries) {
    const bool onMap = entry.column >= 1 && entry.row >= 1 && entry.column <= battle.map.columns &&
                       entry.row <= battle.map.rows;
    if (!onMap || !battle.cellIsFree(entry.column, entry.row)) continue;
    const Character character = battle.database().getCharacter(entry.characterId);
    // A character the character file lacks comes back as the empty record, whose id 0 would read as a
    // free cell: it is left out.
    if (character.id == 0) continue;
    battle.addCombatant(character, entry.column, entry.row, entry.side);
  }
}

}  // namespace varnholt
