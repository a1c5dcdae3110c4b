// The record layouts, field by field.

#include "data/record_reader.h"

#include <algorithm>

namespace varnholt {

void readItemFields(FieldReader& in, ItemRecord& item) {
  in.readWord(item.name, "name");
  in.readInt(item.atk, "atk");
  in.readInt(item.matk, "matk");
  in.readInt(item.def, "def");
  in.readInt(item.mdef, "mdef");
  in.readDoubles(item.elementPower, "element power");
  in.readDoubles(item.statusChance, "status chance");
  in.readDoubles(item.elementResist, "element resistance");
  in.readDoubles(item.statusResist, "status resistance");
  in.readInts(item.reserved, "reserved int");
  in.readInt(item.aspd, "aspd");
  in.readInt(item.flee, "flee");
  in.readInt(item.hit, "hit");
  in.readInt(item.range, "range");
}

void readSkillFields(FieldReader& in, SkillRecord& skill) {
  in.readWord(skill.name, "name");
  in.readInt(skill.hpCost, "hp cost");
  in.readInt(skill.spCost, "sp cost");
  in.readInt(skill.atk, "atk");
  in.readInt(skill.matk, "matk");
  in.readInt(skill.def, "def");
  in.readInt(skill.mdef, "mdef");
  in.readDoubles(skill.elementPower, "element power");
  in.readDoubles(skill.statusChance, "status chance");
  in.readDoubles(skill.elementResist, "element resistance");
  in.readDoubles(skill.statusResist, "status resistance");
  in.readInt(skill.range, "range");
  in.readInt(skill.reserved, "reserved int");
  in.readDouble(skill.atkFactor, "atk factor");
  in.readDouble(skill.matkFactor, "matk factor");
  in.readInt(skill.kind, "kind");
  in.readDescription(skill.description, sizeof skill.description, "description");
}

void readClassFields(FieldReader& in, ClassRecord& record) {
  in.readWord(record.name, "name");
  in.readInts(record.growth, "growth");
  in.readDouble(record.hpFactor, "hp factor");
  in.readDouble(record.spFactor, "sp factor");
  in.readIdList(record.classSkills, kSkillListField);
  in.readInt(record.moveRange, "move range");
  in.readInt(record.reserved, "reserved int");
}

void readRaceFields(FieldReader& in, RaceRecord& record) {
  in.readWord(record.name, "name");
  in.readInts(record.growth, "growth");
  in.readDouble(record.hpFactor, "hp factor");
  in.readDouble(record.spFactor, "sp factor");
  in.readInt(record.moveRange, "move range");
  in.readInt(record.reserved, "reserved int");
}

void readCharacterFields(FieldReader& in, Character& character) {
  in.readWord(character.name, "name");
  in.readInt(character.raceId, "race");
  in.readInt(character.classId, "class");
  in.readInt(character.strength, "strength");
  in.readInt(character.vitality, "vitality");
  in.readInt(character.dexterity, "dexterity");
  in.readInt(character.intelligence, "intelligence");
  in.readInt(character.agility, "agility");
  in.readInt(character.mind, "mind");
  in.readInt(character.level, "level");
  in.readInt(character.exp, "exp");
  in.readIdList(character.skills, kSkillListField);
  in.readInts(character.equipment, "equipment slot");
  in.readWord(character.pictureFile, "picture file");
  char unused[kCharacterLastWordSize];
  in.readWord(unused, "last word");
}

void readMapFields(FieldReader& in, MapRecord& map) {
  in.readWord(map.name, "name");
  int declaredColumns = 0;
  int declaredRows = 0;
  in.readInt(declaredColumns, "columns");
  in.readInt(declaredRows, "rows");
  map.columns = std::clamp(declaredColumns, 0, kMaxMapSide);
  map.rows = std::clamp(declaredRows, 0, kMaxMapSide);
  if (declaredColumns <= 0 || declaredRows <= 0) return;
  const long long cells = static_cast<long long>(declaredColumns) * declaredRows;
  long long index = 0;
  for (int column = 1; column <= declaredColumns; ++column) {
    for (int row = 1; row <= declaredRows; ++row) {
      int value = 0;
      if (!in.readInt(value, "terrain code", ++index, cells)) return;
      if (column <= kMaxMapSide && row <= kMaxMapSide) {
        map.occupancy[column][row] = 0;
        map.terrain[column][row] = value;
      }
    }
  }
}

}  // namespace varnholt
